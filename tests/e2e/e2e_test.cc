// End-to-end tests: run the built vurn as a user would, with a data file and
// typed input, and compare standard output, standard error, both interleaved
// in one pipe, and the exit status.  The cases are the small files in
// tests/e2e/cases/; see README.md there for their format.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "text_count.h"

namespace fs = std::filesystem;

namespace {

const char kDateMark[] = "\x01" "DATE" "\x01";
const char kAnyMark[] = "\x01" "ANY" "\x01";
constexpr int kTimeoutSeconds = 20;
// The user the program runs as, when the tests run as root, for a file that
// must stay unreadable to it.
constexpr uid_t kNobody = 65534;

struct Chunk {
  bool err;
  std::string text;
};

// A data file: its text, then each appended text written `count` times.
struct FileSpec {
  std::string name;
  std::string contents;
  std::vector<std::pair<std::string, uint64_t>> appended;
  bool unreadable = false;
};

enum class Stdout { Open, Closed, Broken };

struct Case {
  std::string name;
  std::vector<FileSpec> files;
  std::string input;
  std::vector<Chunk> expected;
  int status = 8;
  bool preloadRefuseAlloc = false;
  Stdout stdoutState = Stdout::Open;
};

[[noreturn]] void bad(const std::string& where, const std::string& what) {
  throw std::runtime_error(where + ": " + what);
}

// Unescapes a "quoted" text: \n \t \r \v \f \0 \\ \" \xHH.
std::string unquote(const std::string& s, const std::string& where) {
  size_t a = s.find('"');
  size_t b = s.rfind('"');
  if (a == std::string::npos || b == a) bad(where, "expected a quoted text");
  std::string out;
  for (size_t i = a + 1; i < b; ++i) {
    char c = s[i];
    if (c != '\\') {
      out.push_back(c);
      continue;
    }
    if (++i >= b) bad(where, "dangling backslash");
    switch (s[i]) {
      case 'n': out.push_back('\n'); break;
      case 't': out.push_back('\t'); break;
      case 'r': out.push_back('\r'); break;
      case 'v': out.push_back('\v'); break;
      case 'f': out.push_back('\f'); break;
      case '0': out.push_back('\0'); break;
      case '\\': out.push_back('\\'); break;
      case '"': out.push_back('"'); break;
      case 'x': {
        if (i + 2 >= b) bad(where, "short \\x escape");
        out.push_back(static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16)));
        i += 2;
        break;
      }
      default: bad(where, "unknown escape");
    }
  }
  return out;
}

std::string readAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  if (!f) bad(p.string(), "cannot read");
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

FileSpec& fileNamed(Case& c, const std::string& name, const std::string& where) {
  for (FileSpec& f : c.files)
    if (f.name == name) return f;
  bad(where, "no file " + name + " declared before");
}

Case parseCase(const fs::path& path) {
  Case c;
  c.name = path.stem().string();
  std::istringstream lines(readAll(path));
  std::string line;
  int n = 0;
  while (std::getline(lines, line)) {
    ++n;
    std::string where = path.filename().string() + ":" + std::to_string(n);
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    if (verb == "file") {
      FileSpec f;
      std::string how;
      words >> f.name >> how;
      if (how.rfind("<<", 0) == 0) {
        std::string end = how.substr(2);
        bool closed = false;
        while (std::getline(lines, line)) {
          ++n;
          if (line == end) {
            closed = true;
            break;
          }
          f.contents += line + "\n";
        }
        if (!closed) bad(where, "no " + end + " line");
      } else if (how == "from") {
        std::string rel;
        words >> rel;
        f.contents = readAll(fs::path(VURN_SOURCE_DIR) / rel);
      } else {
        bad(where, "file NAME <<END or file NAME from PATH");
      }
      c.files.push_back(f);
    } else if (verb == "append") {
      std::string name;
      uint64_t count = 1;
      words >> name;
      if (!(words >> count)) count = 1;
      fileNamed(c, name, where).appended.push_back({unquote(line, where), count});
    } else if (verb == "unreadable") {
      std::string name;
      words >> name;
      fileNamed(c, name, where).unreadable = true;
    } else if (verb == "stdin") {
      c.input = unquote(line, where);
    } else if (verb == "out" || verb == "err") {
      std::string rest;
      words >> rest;
      c.expected.push_back(
          {verb == "err", rest == "..." ? kAnyMark : unquote(line, where)});
    } else if (verb == "@banner") {
      c.expected.push_back(
          {false, "VURN\nRelease 2.0 for Windows 95/NT (23/08/98) \n"});
      c.expected.push_back({false, kDateMark});
      c.expected.push_back({false, "Enter name of input file: "});
    } else if (verb == "@quit") {
      c.expected.push_back({true, "\ntype \"quit\" to close program>>  "});
    } else if (verb == "status") {
      words >> c.status;
    } else if (verb == "preload") {
      std::string what;
      words >> what;
      if (what != "refuse_alloc") bad(where, "unknown preload");
      c.preloadRefuseAlloc = true;
    } else if (verb == "stdout") {
      std::string what;
      words >> what;
      if (what == "closed") {
        c.stdoutState = Stdout::Closed;
      } else if (what == "broken") {
        c.stdoutState = Stdout::Broken;
      } else {
        bad(where, "stdout closed or stdout broken");
      }
    } else {
      bad(where, "unknown line: " + line);
    }
  }
  return c;
}

struct RunResult {
  std::string out, err;
  int status = -1;
  bool timedOut = false;
};

// Root reads every file; a case with an unreadable file runs the program as
// user nobody then.
bool runsAsNobody(const Case& c) {
  return geteuid() == 0 &&
         std::any_of(c.files.begin(), c.files.end(),
                     [](const FileSpec& f) { return f.unreadable; });
}

// Runs `program` in `dir` with the case's input on standard input.  With
// `combined`, standard output and standard error go to one pipe, read into
// `out`.
RunResult runVurn(const Case& c, const fs::path& program, const fs::path& dir,
                  bool combined) {
  fs::path inPath = dir / ".stdin";
  {
    std::ofstream f(inPath, std::ios::binary);
    f << c.input;
  }
  int outPipe[2], errPipe[2], brokenPipe[2] = {-1, -1};
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) bad(c.name, "pipe");
  // A pipe whose reading end is closed before the program starts: every
  // write to it fails as if the reader had gone away.
  if (c.stdoutState == Stdout::Broken) {
    if (pipe(brokenPipe) != 0) bad(c.name, "pipe");
    close(brokenPipe[0]);
  }
  bool dropRoot = runsAsNobody(c);
  pid_t pid = fork();
  if (pid < 0) bad(c.name, "fork");
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    int in = open(inPath.c_str(), O_RDONLY);
    dup2(in, 0);
    close(in);
    dup2(c.stdoutState == Stdout::Broken ? brokenPipe[1] : outPipe[1], 1);
    dup2(combined ? outPipe[1] : errPipe[1], 2);
    if (c.stdoutState == Stdout::Closed) close(1);
    close(outPipe[0]);
    close(outPipe[1]);
    close(errPipe[0]);
    close(errPipe[1]);
    if (brokenPipe[1] >= 0) close(brokenPipe[1]);
    if (dropRoot && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 ||
                     setuid(kNobody) != 0))
      _exit(126);
    if (c.preloadRefuseAlloc) setenv("LD_PRELOAD", VURN_REFUSE_ALLOC, 1);
    signal(SIGPIPE, SIG_DFL);  // as a shell starts it, whatever the tests do
    execl(program.c_str(), "vurn", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  if (brokenPipe[1] >= 0) close(brokenPipe[1]);
  RunResult r;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&r.out, &r.err};
  int open = 2;
  auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
  while (open > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) {
      r.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, static_cast<int>(left)) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[65536];
      ssize_t got = read(fds[i].fd, buf, sizeof buf);
      if (got > 0) {
        sinks[i]->append(buf, static_cast<size_t>(got));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (auto& f : fds)
    if (f.fd >= 0) close(f.fd);
  int ws = 0;
  waitpid(pid, &ws, 0);
  r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws);
  return r;
}

bool isDateLine(const std::string& s) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed",
                                      "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr",
                                        "May", "Jun", "Jul", "Aug",
                                        "Sep", "Oct", "Nov", "Dec"};
  if (s.size() != 25 || s[24] != '\n') return false;
  auto in = [](const char* const* names, int n, const std::string& w) {
    return std::find_if(names, names + n, [&](const char* x) {
             return w == x;
           }) != names + n;
  };
  if (!in(kDays, 7, s.substr(0, 3)) || !in(kMonths, 12, s.substr(4, 3)))
    return false;
  const std::string shape = "www mmm 99 99:99:99 9999";
  for (size_t i = 3; i < 24; ++i) {
    if (shape[i] == '9' ? !isdigit(static_cast<unsigned char>(s[i]))
                        : (i > 6 && s[i] != shape[i]))
      return false;
  }
  return s[3] == ' ' && s[7] == ' ';
}

// The expected text of one stream (or both), with the actual date line put
// in place of the date mark when the actual one has the right shape.
std::string expectedText(const Case& c, bool wantOut, bool wantErr,
                         const std::string& actual) {
  std::string s;
  for (const Chunk& k : c.expected)
    if ((k.err && wantErr) || (!k.err && wantOut)) s += k.text;
  size_t at = s.find(kDateMark);
  if (at != std::string::npos) {
    std::string date = actual.size() >= at + 25 ? actual.substr(at, 25) : "";
    s.replace(at, sizeof kDateMark - 1,
              isDateLine(date) ? date : "<a date line>\n");
  }
  // "..." stands for whatever the actual text holds between the expected
  // text before it and the expected text after it.
  at = s.find(kAnyMark);
  if (at != std::string::npos) {
    size_t tail = s.size() - at - (sizeof kAnyMark - 1);
    bool fits = actual.size() >= at + tail &&
                actual.compare(0, at, s, 0, at) == 0 &&
                actual.compare(actual.size() - tail, tail, s, s.size() - tail,
                               tail) == 0;
    s.replace(at, sizeof kAnyMark - 1,
              fits ? actual.substr(at, actual.size() - at - tail) : "<any text>");
  }
  return s;
}

// Writes the case's data files into `dir`; appended texts are written in
// large pieces, so a file of any size costs little memory.
void writeFiles(const Case& c, const fs::path& dir) {
  for (const FileSpec& f : c.files) {
    fs::path p = dir / f.name;
    std::ofstream out(p, std::ios::binary);
    out << f.contents;
    for (const auto& [text, count] : f.appended) {
      if (text.empty()) continue;
      uint64_t perPiece = std::max<uint64_t>(1, (1 << 20) / text.size());
      std::string piece;
      for (uint64_t i = 0; i < std::min(perPiece, count); ++i) piece += text;
      uint64_t left = count;
      for (; left >= perPiece; left -= perPiece) out << piece;
      for (; left > 0; --left) out << text;
    }
    out.close();
    if (!out) bad(c.name, "cannot write " + f.name);
    if (f.unreadable) fs::permissions(p, fs::perms::none);
  }
}

std::vector<fs::path> casePaths() {
  std::vector<fs::path> paths;
  for (const auto& e :
       fs::directory_iterator(fs::path(VURN_SOURCE_DIR) / "tests/e2e/cases"))
    if (e.path().extension() == ".case") paths.push_back(e.path());
  std::sort(paths.begin(), paths.end());
  return paths;
}

class EndToEnd : public ::testing::TestWithParam<fs::path> {};

TEST_P(EndToEnd, Run) {
  Case c = parseCase(GetParam());
#ifdef VURN_SANITIZED
  // The sanitizers bring their own heap, which a preloaded one cannot replace.
  if (c.preloadRefuseAlloc) GTEST_SKIP() << "preload under the sanitizers";
#endif
  char tmpl[] = "/tmp/vurn_e2e_XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  fs::path dir = tmpl;
  writeFiles(c, dir);
  fs::path program = VURN_BINARY;
  if (runsAsNobody(c)) {
    // Nobody may not reach the build folder: it runs a copy of the program
    // in the run's folder, which it may enter.
    program = dir / ".vurn";
    fs::copy_file(VURN_BINARY, program);
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_exec |
                             fs::perms::others_exec);
  }
  RunResult apart = runVurn(c, program, dir, false);
  RunResult together = runVurn(c, program, dir, true);
  fs::remove_all(dir);

  EXPECT_FALSE(apart.timedOut) << "the run did not end";
  EXPECT_FALSE(together.timedOut) << "the run did not end";
  EXPECT_EQ(expectedText(c, true, false, apart.out), apart.out) << "stdout";
  EXPECT_EQ(expectedText(c, false, true, apart.err), apart.err) << "stderr";
  EXPECT_EQ(expectedText(c, true, true, together.out), together.out)
      << "stdout and stderr in one pipe";
  EXPECT_EQ(c.status, apart.status) << "exit status";
  EXPECT_EQ(c.status, together.status) << "exit status";
}

// A data file cut short, as mail or a full disk leaves it: the program run on
// every prefix of two examples.  Each prefix short of the closing "end;" gets
// exactly one message; from there on the estimate's line or the search's
// message comes.  Every run ends at one quit prompt with status 8.
TEST(EndToEndCut, EveryPrefixOfAnExampleEndsAtThePrompt) {
  const std::string prompt = "\ntype \"quit\" to close program>>  ";
  for (const char* name : {"two_populations.nex", "diploid.nex"}) {
    const std::string text =
        readAll(fs::path(VURN_SOURCE_DIR) / "examples" / name);
    const size_t complete = text.find("end;") + 4;
    char tmpl[] = "/tmp/vurn_e2e_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const fs::path dir = tmpl;
    for (size_t n = 0; n <= text.size(); ++n) {
      SCOPED_TRACE(std::string(name) + " cut after " + std::to_string(n) +
                   " bytes");
      Case c;
      c.name = name;
      c.files.push_back(FileSpec{"data.nex", text.substr(0, n), {}});
      c.input = "data.nex\nquit\n";
      writeFiles(c, dir);
      RunResult r = runVurn(c, VURN_BINARY, dir, true);
      ASSERT_FALSE(r.timedOut) << "the run did not end";
      EXPECT_EQ(8, r.status);
      EXPECT_EQ(1u, occurrences(r.out, prompt)) << r.out;
      EXPECT_EQ(r.out.size() - prompt.size(), r.out.rfind(prompt)) << r.out;
      const bool read = r.out.find("\nAll loci ") != std::string::npos;
      EXPECT_EQ(n >= complete, read) << r.out;
      EXPECT_EQ(read ? 0u : 1u, occurrences(r.out, "\nError: ")) << r.out;
      EXPECT_EQ(read, r.out.find("\nEstimate of theta") != std::string::npos)
          << r.out;
    }
    fs::remove_all(dir);
  }
}

std::string caseName(const ::testing::TestParamInfo<fs::path>& info) {
  std::string s = info.param.stem().string();
  for (char& ch : s)
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return s;
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, ::testing::ValuesIn(casePaths()),
                         caseName);

}  // namespace
