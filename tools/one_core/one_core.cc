// Preloaded into the test programs, this makes the C library report a
// single processor, as a host with one core does. The tool then never
// starts a second thread: every pass runs on the calling thread alone,
// which is the path a one-core host takes.
extern "C" int get_nprocs() { return 1; }
extern "C" int get_nprocs_conf() { return 1; }
