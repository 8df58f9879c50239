// Helpers of the PDF writer tests: a scratch folder, a JPEG maker, the
// writer with its messages recorded, and the independent readers (qpdf,
// pdftotext) that every written file goes through.
#pragma once
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/appdir.h"
#include "pdf/qtzpdf.h"
#include "support/common/test_files.h"

namespace vkz::pdftest {

// A baseline JPEG of the given size whose blocks are all flat grey: real
// enough for any decoder, and padded with a comment to at least `minSize`
// bytes (exactly, when the natural size is smaller).
inline std::vector<std::uint8_t> makeJpeg(int width, int height, int components, std::size_t minSize = 0,
                                          int densityUnits = 0, bool frame = true) {
  std::vector<std::uint8_t> j = {0xFF, 0xD8};
  auto add = [&](std::initializer_list<int> b) {
    for (int v : b) j.push_back(static_cast<std::uint8_t>(v));
  };
  add({0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, densityUnits, 0, 1, 0, 1, 0, 0});
  add({0xFF, 0xDB, 0x00, 0x43, 0x00});
  for (int i = 0; i < 64; ++i) j.push_back(1);
  if (frame) {
    add({0xFF, 0xC0, 0, 8 + 3 * components, 8, height >> 8, height & 255, width >> 8, width & 255,
         components});
    for (int c = 0; c < components; ++c) add({c + 1, 0x11, 0});
  }
  add({0xFF, 0xC4, 0, 20, 0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00});
  add({0xFF, 0xC4, 0, 20, 0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00});
  const std::size_t scanLen = 6 + 2 * static_cast<std::size_t>(components);
  std::vector<std::uint8_t> sos = {0xFF, 0xDA, 0, static_cast<std::uint8_t>(scanLen),
                                   static_cast<std::uint8_t>(components)};
  for (int c = 0; c < components; ++c) {
    sos.push_back(static_cast<std::uint8_t>(c + 1));
    sos.push_back(0);
  }
  sos.insert(sos.end(), {0, 63, 0});
  // Two zero bits per block (DC difference 0, end of block).
  const long blocks = static_cast<long>((width + 7) / 8) * ((height + 7) / 8) * components;
  const long bits = blocks * 2;
  std::vector<std::uint8_t> data(static_cast<std::size_t>((bits + 7) / 8), 0);
  if (bits % 8) data.back() = static_cast<std::uint8_t>(0xFF >> (bits % 8));
  const std::size_t natural = j.size() + sos.size() + data.size() + 2;
  if (natural < minSize) {
    std::size_t pad = minSize - natural;
    if (pad < 4) pad = 4;  // a comment segment needs four bytes at least
    add({0xFF, 0xFE, static_cast<int>((pad - 2) >> 8), static_cast<int>((pad - 2) & 255)});
    for (std::size_t i = 4; i < pad; ++i) j.push_back('x');
  }
  j.insert(j.end(), sos.begin(), sos.end());
  j.insert(j.end(), data.begin(), data.end());
  add({0xFF, 0xD9});
  return j;
}

class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vkzpdf-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A folder on which writes fail as on a full disk while the object lives.
// SmallFileSystem: a file system of its own (tmpfs, mounted in a private
// mount namespace of the calling thread, so nothing outside sees it) with
// `room` bytes left: writes fail with "No space left on device". Not ready
// where the system lets the test mount nothing. SizeLimit: the limit on the
// size of a file the process may write (RLIMIT_FSIZE, as a quota or ulimit
// sets it) is `room` bytes: writes past it fail with "File too large".
class FullDisk {
 public:
  enum Kind { SmallFileSystem, SizeLimit };
  FullDisk(Kind kind, std::size_t room) : kind_(kind), folder_(scratch_.file("disk")) {
    std::filesystem::create_directory(folder_);
    if (kind == SmallFileSystem) {
      ready_ = ::unshare(CLONE_NEWNS) == 0 &&
               ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount("vkz-full", folder_.c_str(), "tmpfs", 0, "size=256k") == 0;
      if (ready_) fill(room);
      cause = std::strerror(ENOSPC);
    } else {
      ::getrlimit(RLIMIT_FSIZE, &saved_);
      rlimit small = saved_;
      small.rlim_cur = room;
      ready_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
      cause = std::strerror(EFBIG);
    }
  }
  ~FullDisk() {
    if (!ready_) return;
    if (kind_ == SmallFileSystem)
      ::umount2(folder_.c_str(), MNT_DETACH);
    else
      ::setrlimit(RLIMIT_FSIZE, &saved_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  bool ready() const { return ready_; }
  const std::string& folder() const { return folder_; }
  std::string file(const std::string& name) const { return folder_ + "/" + name; }
  // The names in the folder other than the filler.
  std::vector<std::string> names() const {
    std::vector<std::string> v;
    for (const auto& e : std::filesystem::directory_iterator(folder_))
      if (e.path().filename() != ".filler") v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  }
  std::string cause;  // the system's message of a failed write

 private:
  // Fills the file system up to `room` bytes.
  void fill(std::size_t room) {
    const std::string filler = file(".filler");
    FILE* f = std::fopen(filler.c_str(), "wb");
    if (!f) return;
    const std::vector<char> block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size()) {
    }
    std::fclose(f);
    std::filesystem::resize_file(filler, std::filesystem::file_size(filler) - room);
  }

  ScratchDir scratch_;
  Kind kind_;
  std::string folder_;
  bool ready_ = false;
  rlimit saved_{};
};

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& b) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(b.data()), static_cast<long>(b.size()));
}

using test::readBytes;

inline std::string run(const std::string& cmd, int* status = nullptr) {
  std::string out;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int rc = ::pclose(p);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  return out;
}

// qpdf's verdict on the file: exit 0 and no warning.
inline ::testing::AssertionResult qpdfClean(const std::string& path) {
  int status = -1;
  std::string out = run("qpdf --check '" + path + "' 2>&1", &status);
  if (status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "qpdf --check " << path << " exit " << status << ":\n" << out;
}

inline std::string pdfText(const std::string& path) {
  return run("pdftotext -enc UTF-8 '" + path + "' - 2>&1");
}

// The page count pdfinfo reads (-1 when it reads none).
inline int pdfPages(const std::string& path) {
  const std::string info = run("pdfinfo '" + path + "' 2>&1");
  const size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// The text of one page (from 1).
inline std::string pageText(const std::string& path, int page) {
  const std::string p = std::to_string(page);
  return run("pdftotext -enc UTF-8 -f " + p + " -l " + p + " '" + path + "' - 2>&1");
}

inline bool has(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

// The lines of a file split at CR LF.
inline std::vector<std::string> crlfLines(const std::string& s) {
  std::vector<std::string> v;
  size_t pos = 0;
  while (pos <= s.size()) {
    size_t e = s.find("\r\n", pos);
    if (e == std::string::npos) {
      v.push_back(s.substr(pos));
      break;
    }
    v.push_back(s.substr(pos, e - pos));
    pos = e + 2;
  }
  return v;
}

// True when `want` occurs as consecutive lines of `lines`.
inline ::testing::AssertionResult hasRun(const std::vector<std::string>& lines,
                                         const std::vector<std::string>& want) {
  for (size_t i = 0; i + want.size() <= lines.size(); ++i) {
    bool ok = true;
    for (size_t j = 0; j < want.size() && ok; ++j) ok = lines[i + j] == want[j];
    if (ok) return ::testing::AssertionSuccess();
  }
  std::string w;
  for (auto& l : want) w += "  [" + l + "]\n";
  return ::testing::AssertionFailure() << "lines not found in order:\n" << w;
}

// The content of page `page` (1-based) of a file this writer wrote.
inline std::string pageContent(const std::string& pdf, int page) {
  std::string head = std::to_string(2 * page) + " 0 obj\r\n<< /Length ";
  size_t at = pdf.find(head);
  if (at == std::string::npos) return {};
  size_t s = pdf.find("stream\r\n", at) + 8;
  size_t e = pdf.find("endstream", s);
  return pdf.substr(s, e - s);
}

// A writer with its messages recorded, fonts from the program's Fonts
// folder, writing into a scratch folder.
struct Fixture : ::testing::Test {
  ScratchDir dir;
  std::vector<PdfMessage> messages;
  std::vector<std::string> opened;
  std::unique_ptr<qtzPDF> pdf;
  std::string out;

  void SetUp() override {
    qtzPDF::setDefaultHooks([this](const PdfMessage& m) { messages.push_back(m); },
                            [this](const std::string& p) {
                              opened.push_back(p);
                              return true;
                            });
    pdf = std::make_unique<qtzPDF>();
    out = dir.file("out.pdf");
  }
  void TearDown() override { qtzPDF::setDefaultHooks(nullptr, nullptr); }

  void begin() {
    ASSERT_TRUE(pdf->PDFFileName(out));
    ASSERT_TRUE(pdf->PDFBeginDoc());
  }
  // Ends the document and returns the file, checked by qpdf.
  std::string end() {
    EXPECT_TRUE(pdf->PDFEndDoc()) << pdf->PDFLastError();
    EXPECT_TRUE(qpdfClean(out));
    return readBytes(out);
  }
  std::vector<std::string> page(int n = 1) { return crlfLines(pageContent(readBytes(out), n)); }
};

}  // namespace vkz::pdftest
