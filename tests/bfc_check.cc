// Draws LDraw files the way a viewer applying back-face culling does, and
// compares the surfaces of two files. Deliberately shares no code with the
// tool: it is the second opinion on what the tool writes.
#include "bfc_check.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string_view>
#include <utility>

namespace quillery::testing {
namespace {

namespace fs = std::filesystem;

constexpr double kCoincidence = 0.001;  // per coordinate, inclusive
constexpr double kDegenerate = 1e-9;    // normal length of a flat surface
constexpr int kMaxDepth = 64;  // guards against files placing themselves
constexpr int kShownPerKind = 3;

Vec3 operator-(const Vec3& a, const Vec3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(const Vec3& a, const Vec3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
bool coincide(const Vec3& a, const Vec3& b) {
  return std::fabs(a.x - b.x) <= kCoincidence &&
         std::fabs(a.y - b.y) <= kCoincidence &&
         std::fabs(a.z - b.z) <= kCoincidence;
}
bool isDegenerate(const Surface& s) {
  return std::sqrt(dot(s.front, s.front)) < kDegenerate;
}

// Where a file's points land in the model: pos + m · p, m row by row.
struct Placement {
  std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};
  Vec3 pos;

  Vec3 apply(const Vec3& p) const {
    return {pos.x + m[0] * p.x + m[1] * p.y + m[2] * p.z,
            pos.y + m[3] * p.x + m[4] * p.y + m[5] * p.z,
            pos.z + m[6] * p.x + m[7] * p.y + m[8] * p.z};
  }
  // This placement applied after `inner`.
  Placement compose(const Placement& inner) const {
    Placement out;
    out.pos = apply(inner.pos);
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        out.m[r * 3 + c] = m[r * 3] * inner.m[c] +
                           m[r * 3 + 1] * inner.m[3 + c] +
                           m[r * 3 + 2] * inner.m[6 + c];
      }
    }
    return out;
  }
  double determinant() const {
    return m[0] * (m[4] * m[8] - m[5] * m[7]) -
           m[1] * (m[3] * m[8] - m[5] * m[6]) +
           m[2] * (m[3] * m[7] - m[4] * m[6]);
  }
};

// The keywords of a "0 BFC ..." line, as bits in the order of kBfcWords;
// 0 for any other line.
constexpr unsigned kCertify = 1, kNoCertify = 2, kCw = 4, kCcw = 8, kClip = 16,
                   kNoClip = 32, kInvertNext = 64;
constexpr const char* kBfcWords[] = {"CERTIFY", "NOCERTIFY", "CW",        "CCW",
                                     "CLIP",    "NOCLIP",    "INVERTNEXT"};

unsigned bfcWords(std::istringstream& rest) {
  auto upper = [](std::string word) {
    for (char& c : word) c = static_cast<char>(std::toupper(c & 0xFF));
    return word;
  };
  std::string word;
  if (!(rest >> word) || upper(word) != "BFC") return 0;
  unsigned words = 0;
  while (rest >> word) {
    for (unsigned bit = 0; bit < std::size(kBfcWords); ++bit) {
      if (upper(word) == kBfcWords[bit]) words |= 1u << bit;
    }
  }
  return words;
}

// The colour field of a line, 16 standing for `parentColor`; direct
// colours are read as hexadecimal numbers.
int readColor(std::istringstream& in, int parentColor) {
  std::string token;
  in >> token;
  int color = 0;
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
    color = static_cast<int>(std::stoul(token.substr(2), nullptr, 16));
  } else {
    color = std::atoi(token.c_str());
  }
  return color == 16 ? parentColor : color;
}

// Draws files into `surfaces`, looking for subfiles in `library`.
struct Flattener {
  std::vector<fs::path> library;
  LateCertify reading;
  std::vector<Surface> surfaces;

  // Draws `file` placed by `place`; `invert` is -1 when an odd number of
  // INVERTNEXT lines and mirroring matrices stand on the way down, and
  // `chainCulled` says whether every file above is certified with culling on
  // at the reference that led here.
  void draw(const fs::path& file, const Placement& place, int invert,
            bool chainCulled, int depth, int parentColor = 16) {
    size_t first = surfaces.size();
    int winding = 1;  // 1 counter-clockwise, -1 clockwise
    bool certified = false, refused = false, drawn = false;
    bool clip = true, invertNext = false;
    std::ifstream text(file, std::ios::binary);
    char mark[3] = {};  // a byte order mark is not part of the first line
    if (!text.read(mark, 3) || std::string_view(mark, 3) != "\xEF\xBB\xBF") {
      text.clear();
      text.seekg(0);
    }
    for (std::string line; std::getline(text, line);) {
      std::istringstream in(line);
      int type = -1;
      if (!(in >> type)) continue;
      if (type == 0) {
        unsigned words = bfcWords(in);
        int named = (words & kCw) ? -1 : (words & kCcw) ? 1 : 0;
        if (!(words & kCertify)) {
          if (named != 0) winding = named;
        } else if (!drawn) {
          certified = true;
          winding = named != 0 ? named : 1;
        } else if (named != 0 && reading == LateCertify::kSwitchesWinding) {
          winding = named;
        }
        if (words & kNoCertify) refused = true;
        if (words & kNoClip) clip = false;
        if (words & kClip) clip = true;
        if (words & kInvertNext) invertNext = true;
        continue;
      }
      if (type < 1 || type > 5) continue;
      drawn = true;
      bool inverted = std::exchange(invertNext, false);
      // Whether the file is certified is known only at its end; its
      // surfaces and those of its subfiles are cleared below if not.
      bool culled = chainCulled && clip;
      if (type == 1) {
        Placement child;
        int color = readColor(in, parentColor);
        in >> child.pos.x >> child.pos.y >> child.pos.z;
        for (double& entry : child.m) in >> entry;
        std::string name;
        std::getline(in >> std::ws, name);
        name.erase(name.find_last_not_of(" \t\r") + 1);
        std::replace(name.begin(), name.end(), '\\', '/');
        fs::path found = find(name);
        if (!in.fail() && !found.empty() && depth < kMaxDepth) {
          int sign =
              invert * (inverted ? -1 : 1) * (child.determinant() < 0 ? -1 : 1);
          draw(found, place.compose(child), sign, culled, depth + 1, color);
        }
      } else if (type == 3 || type == 4) {
        Surface surface;
        surface.color = readColor(in, parentColor);
        for (int i = 0; i < type; ++i) {
          Vec3 p;
          in >> p.x >> p.y >> p.z;
          surface.corners.push_back(place.apply(p));
        }
        if (in.fail()) continue;
        const std::vector<Vec3>& c = surface.corners;
        Vec3 n = type == 3 ? cross(c[1] - c[0], c[2] - c[0])
                           : cross(c[2] - c[0], c[3] - c[1]);
        double side = winding * invert;
        surface.front = {n.x * side, n.y * side, n.z * side};
        surface.culled = culled;
        surfaces.push_back(surface);
      }
    }
    if (!certified || refused) {
      for (size_t i = first; i < surfaces.size(); ++i)
        surfaces[i].culled = false;
    }
  }

  // The file `name` names in the first library folder that holds it, each
  // part of the name matched regardless of ASCII letter case as LDraw
  // programs do; empty when none does.
  fs::path find(const std::string& name) {
    auto [known, isNew] = lookups.try_emplace(name);
    if (!isNew) return known->second;
    auto lower = [](std::string text) {
      for (char& c : text) c = static_cast<char>(std::tolower(c & 0xFF));
      return text;
    };
    std::error_code ignored;
    for (const fs::path& folder : library) {
      fs::path found = folder;
      for (const fs::path& part : fs::path(name).relative_path()) {
        fs::path next = found / part;
        if (!fs::exists(next, ignored)) {
          for (fs::directory_iterator it(found, ignored), end; it != end;
               it.increment(ignored)) {
            if (lower(it->path().filename().string()) == lower(part.string())) {
              next = it->path();
              break;
            }
          }
        }
        found = next;
      }
      if (fs::is_regular_file(found, ignored)) return known->second = found;
    }
    return {};
  }

  std::map<std::string, fs::path> lookups;
};

std::string describe(const Surface& s) {
  std::ostringstream out;
  out << (s.culled ? "culled" : "not culled") << " front (" << s.front.x << ' '
      << s.front.y << ' ' << s.front.z << ") at";
  for (const Vec3& p : s.corners)
    out << " (" << p.x << ' ' << p.y << ' ' << p.z << ')';
  return out.str();
}

// Whether every corner of `part` stands on its own corner of `whole`.
bool liesOn(const Surface& part, const Surface& whole) {
  std::vector<bool> taken(whole.corners.size(), false);
  for (const Vec3& p : part.corners) {
    size_t j = 0;
    while (j < taken.size() && (taken[j] || !coincide(p, whole.corners[j])))
      ++j;
    if (j == taken.size()) return false;
    taken[j] = true;
  }
  return true;
}

// "N surfaces (C culled)", degenerate ones left out.
std::string census(const std::vector<Surface>& surfaces) {
  int all = 0;
  int culled = 0;
  for (const Surface& s : surfaces) {
    if (isDegenerate(s)) continue;
    ++all;
    culled += s.culled;
  }
  return std::to_string(all) + " surfaces (" + std::to_string(culled) +
         " culled)";
}

}  // namespace

std::vector<Surface> flattenSurfaces(const fs::path& file,
                                     const std::vector<fs::path>& library,
                                     LateCertify reading) {
  Flattener flattener{library, reading, {}, {}};
  flattener.draw(file, Placement(), 1, true, 0);
  return std::move(flattener.surfaces);
}

std::string compareSurfaces(const std::vector<Surface>& input,
                            const std::vector<Surface>& output,
                            bool coloursKept) {
  // A triangle covers half a quad; a quad or a triangle its whole input.
  auto halves = [](const Surface& s) { return s.corners.size() == 4 ? 2 : 1; };
  std::vector<int> covered(input.size(), 0);
  std::map<std::string, int> faults;
  std::string offenders;
  auto fault = [&](const std::string& kind, const Surface& s) {
    if (faults[kind]++ < kShownPerKind) {
      offenders += "\n  " + kind + ": " + describe(s);
    }
  };
  for (const Surface& out : output) {
    if (isDegenerate(out)) continue;
    // The input surface under it, one that agrees and is not yet covered
    // first: the same surface may stand twice in a part.
    int bestRank = 4;
    size_t best = 0;
    for (size_t i = 0; i < input.size(); ++i) {
      const Surface& in = input[i];
      if (isDegenerate(in) || out.corners.size() > in.corners.size() ||
          !liesOn(out, in)) {
        continue;
      }
      bool agrees = in.culled == out.culled &&
                    (!in.culled || dot(in.front, out.front) > 0);
      bool fits = covered[i] + halves(out) <= halves(in);
      int rank = (agrees ? 0 : 1) + (fits ? 0 : 2);
      if (rank < bestRank) bestRank = rank, best = i;
    }
    if (bestRank == 4) {
      fault("on no input surface", out);
      continue;
    }
    const Surface& in = input[best];
    covered[best] += halves(out);
    if (bestRank >= 2) fault("doubled", out);
    if (in.culled != out.culled) {
      fault(in.culled ? "no longer culled" : "culled now", out);
    } else if (in.culled && dot(in.front, out.front) <= 0) {
      fault("facing the other way", out);
    }
    if (coloursKept && in.color != out.color) fault("recoloured", out);
  }
  for (size_t i = 0; i < input.size(); ++i) {
    if (!isDegenerate(input[i]) && covered[i] < halves(input[i])) {
      fault("lost", input[i]);
    }
  }
  if (faults.empty()) return "";
  std::string report = "input " + census(input) + ", output " + census(output);
  for (const auto& [kind, count] : faults) {
    report += (kind == faults.begin()->first ? ": " : ", ") +
              std::to_string(count) + " " + kind;
  }
  return report + offenders;
}

std::string checkFacesKept(const fs::path& input, const fs::path& output,
                           const std::vector<fs::path>& library) {
  std::vector<Surface> expected =
      flattenSurfaces(input, library, LateCertify::kSwitchesWinding);
  std::string report;
  for (LateCertify reading :
       {LateCertify::kSwitchesWinding, LateCertify::kIgnored}) {
    std::string found =
        compareSurfaces(expected, flattenSurfaces(output, library, reading));
    if (!found.empty()) {
      report += std::string(report.empty() ? "" : "\n") +
                (reading == LateCertify::kSwitchesWinding
                     ? "late CERTIFY switching: "
                     : "late CERTIFY ignored: ") +
                found;
    }
  }
  return report;
}

}  // namespace quillery::testing
