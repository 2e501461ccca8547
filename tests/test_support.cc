// In-process console capture and small file helpers for the tests.
#include "test_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "input/data_file.h"

static std::string slurp(FILE* f) {
  std::fflush(f);
  long pos = std::ftell(f);
  std::rewind(f);
  std::string s;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fseek(f, pos, SEEK_SET);
  return s;
}

CapturedConsole::CapturedConsole(const std::string& input, bool combined)
    : combined_(combined) {
  con.in = std::tmpfile();
  con.out = std::tmpfile();
  con.err = combined ? con.out : std::tmpfile();
  if (!con.in || !con.out || !con.err) throw std::runtime_error("tmpfile");
  std::fwrite(input.data(), 1, input.size(), con.in);
  std::rewind(con.in);
}

CapturedConsole::~CapturedConsole() {
  std::fclose(con.in);
  std::fclose(con.out);
  if (!combined_) std::fclose(con.err);
}

std::string CapturedConsole::out() { return slurp(con.out); }
std::string CapturedConsole::err() { return slurp(con.err); }
std::string CapturedConsole::unread() {
  std::string s;
  int c;
  while ((c = std::getc(con.in)) != EOF) s.push_back(static_cast<char>(c));
  return s;
}

Record::Record() : d(newSampleData()) {}
Record::~Record() { freeSampleData(d); }

std::string writeTempFile(const std::string& contents) {
  char path[] = "/tmp/vurn_test_XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) throw std::runtime_error("mkstemp");
  size_t done = 0;
  while (done < contents.size()) {
    ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
    if (n <= 0) throw std::runtime_error("write");
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  return path;
}

std::string readFileText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

ReadResult readDataText(const std::string& text, SampleData& rec) {
  CapturedConsole cc;
  bool ok = readDataBytes("data.nex",
                          reinterpret_cast<const unsigned char*>(text.data()),
                          text.size(), rec, cc.con);
  return {ok, cc.out(), cc.err()};
}
