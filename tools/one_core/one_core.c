/* Preloaded into the test programs, this makes the C library report a
   single processor, as a host with one core does. The tool then never
   starts a second thread: every pass runs on the calling thread alone,
   which is the path a one-core host takes. */
int get_nprocs(void) { return 1; }
int get_nprocs_conf(void) { return 1; }
