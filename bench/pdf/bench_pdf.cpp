// Writes the same report-shaped A4 document with qtzPDF and with libharu
// and prints time, peak memory and file size for 10, 100 and 1,000 pages.
// Page 1 carries the logo and the title block; every table page 37 ruled
// rows of six texts, drawn the way the PDF report draws them (a rule under
// each row, a line left of each cell); the last page is a level graph of
// 4,000 line segments in four colours. Each run happens in a child process
// so its peak memory is its own; the writers take turns and the median of
// each one's runs is printed.
//
//   bench_pdf [folder] [runs per writer and size, at least 5]
#include <hpdf.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "pdf/qtzpdf.h"
#include "unit/pdf/pdftest.h"

#include "../common/procstat.h"

namespace {

constexpr int kRows = 37;
constexpr int kSegments = 4000;
const char* const kLevels[] = {"78.4", "81.2", "85.3", "92.7", "101.5", "66.0", "88.8"};

struct Row {
  char text[6][32];
};

Row rowText(long n) {
  Row r;
  std::snprintf(r.text[0], 32, "%ld", n);
  std::snprintf(r.text[1], 32, "2024/05/%02ld %02ld:%02ld:%02ld", 1 + n % 28, n / 3600 % 24, n / 60 % 60,
                n % 60);
  for (int c = 2; c < 6; ++c) std::snprintf(r.text[c], 32, "%s dB", kLevels[(n + c) % 7]);
  return r;
}

// The x positions (cm) of the record table of the report.
double textX(int c) {
  return c == 0 ? 1 : c == 1 ? 2.35 : 3.45 * c;
}
double lineX(int c) {
  return c == 0 ? 1 : c == 1 ? 3.25 : 3.55 * c + 0.25;
}

double graphY(long i) {
  return 300 + (i * 37 % 340);
}

void writeQtz(const std::string& file, int pages, const std::string& logo) {
  vkz::qtzPDF pdf;
  pdf.setMessageHook([](const vkz::PdfMessage& m) { std::fprintf(stderr, "message: %s\n", m.text.c_str()); });
  pdf.PDFTitle("VKZ 418_PDF");
  pdf.PDFFileName(file);
  pdf.PDFSetFont(0, 10, 0);
  pdf.PDFSetLayoutMode(3);
  pdf.PDFFormatPage(0);
  pdf.PDFOrientation(1);
  pdf.PDFSetTextColor(0LL);
  pdf.PDFSetLineColor(0LL);
  pdf.PDFSetLineStyle(0);
  pdf.PDFSetLineWidth(0.025);
  pdf.PDFSetDrawMode(1);
  pdf.PDFUseOutlines(true);
  pdf.PDFBeginDoc();
  long n = 1;
  for (int p = 1; p < pages; ++p) {
    double y = 1.25;
    if (p == 1) {
      pdf.PDFImage(logo, 1, 1);
      for (int t = 0; t < 5; ++t) pdf.PDFTextOut("- Evaluator : title block line", 0.25, 4.13 + 0.72 * t);
      y = 8.5;
    }
    pdf.PDFTextOut("P-" + std::to_string(p), 9.02, 28);
    for (int r = 0; r < kRows && y < 27.5; ++r, y += 0.72, ++n) {
      Row row = rowText(n);
      pdf.PDFDrawLineHor(1, y + 0.175, 19.25);
      for (int c = 0; c < 6; ++c) {
        pdf.PDFTextOut(row.text[c], textX(c), y);
        pdf.PDFDrawLineVer(lineX(c), y - 0.545, 0.72);
      }
      pdf.PDFDrawLineVer(21.25, y - 0.545, 0.72);
    }
    pdf.PDFEndPage();
    pdf.PDFNewPage();
  }
  pdf.PDFSetUnit(0);
  static const long colours[] = {255, 16776960, 16711680, 65280};
  for (long i = 0; i < kSegments; ++i) {
    pdf.PDFSetLineColor(colours[i % 4]);
    const double x1 = 60 + 480.0 * (i / 4) / (kSegments / 4), x2 = 60 + 480.0 * (i / 4 + 1) / (kSegments / 4);
    pdf.PDFDrawLine(x1, graphY(i), x2, graphY(i + 4));
  }
  pdf.PDFEndDoc();
}

// `perFigure`: every text and line sets its own colour, dash, width and
// font, as the operator lines of qtzPDF's content do (without its comment
// lines), to compare like with like.
void writeHaru(const std::string& file, int pages, const std::string& logo, bool perFigure) {
  HPDF_Doc pdf = HPDF_New(nullptr, nullptr);
  HPDF_SetCompressionMode(pdf, HPDF_COMP_NONE);
  HPDF_SetInfoAttr(pdf, HPDF_INFO_TITLE, "VKZ 418_PDF");
  HPDF_Font font = HPDF_GetFont(pdf, "Helvetica", "WinAnsiEncoding");
  HPDF_Image image = HPDF_LoadJpegImageFromFile(pdf, logo.c_str());
  const double k = 72 / 2.54, H = 841.89;
  long n = 1;
  auto text = [&](HPDF_Page page, const char* s, double x, double y) {
    if (perFigure) {
      HPDF_Page_GSave(page);
      HPDF_Page_SetRGBFill(page, 0, 0, 0);
    }
    HPDF_Page_BeginText(page);
    if (perFigure) HPDF_Page_SetFontAndSize(page, font, 10);
    HPDF_Page_TextOut(page, static_cast<HPDF_REAL>((1 + x) * k), static_cast<HPDF_REAL>(H - y * k), s);
    HPDF_Page_EndText(page);
    if (perFigure) HPDF_Page_GRestore(page);
  };
  auto line = [&](HPDF_Page page, double x1, double y1, double x2, double y2) {
    if (perFigure) {
      HPDF_Page_SetDash(page, nullptr, 0, 0);
      HPDF_Page_SetRGBStroke(page, 0, 0, 0);
      HPDF_Page_SetLineWidth(page, static_cast<HPDF_REAL>(0.025 * k));
    }
    HPDF_Page_MoveTo(page, static_cast<HPDF_REAL>(x1 * k), static_cast<HPDF_REAL>(H - y1 * k));
    HPDF_Page_LineTo(page, static_cast<HPDF_REAL>(x2 * k), static_cast<HPDF_REAL>(H - y2 * k));
    HPDF_Page_Stroke(page);
  };
  for (int p = 1; p < pages; ++p) {
    HPDF_Page page = HPDF_AddPage(pdf);
    HPDF_Page_SetSize(page, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
    HPDF_Page_SetFontAndSize(page, font, 10);
    HPDF_Page_SetLineWidth(page, static_cast<HPDF_REAL>(0.025 * k));
    HPDF_Page_SetRGBStroke(page, 0, 0, 0);
    double y = 1.25;
    if (p == 1) {
      HPDF_Page_DrawImage(page, image, static_cast<HPDF_REAL>(k),
                          static_cast<HPDF_REAL>(H - k - HPDF_Image_GetHeight(image)),
                          static_cast<HPDF_REAL>(HPDF_Image_GetWidth(image)),
                          static_cast<HPDF_REAL>(HPDF_Image_GetHeight(image)));
      for (int t = 0; t < 5; ++t) text(page, "- Evaluator : title block line", 0.25, 4.13 + 0.72 * t);
      y = 8.5;
    }
    text(page, ("P-" + std::to_string(p)).c_str(), 9.02, 28);
    for (int r = 0; r < kRows && y < 27.5; ++r, y += 0.72, ++n) {
      Row row = rowText(n);
      line(page, 1, y + 0.175, 20.25, y + 0.175);
      for (int c = 0; c < 6; ++c) {
        text(page, row.text[c], textX(c), y);
        line(page, lineX(c), y - 0.545, lineX(c), y + 0.175);
      }
      line(page, 21.25, y - 0.545, 21.25, y + 0.175);
    }
  }
  HPDF_Page page = HPDF_AddPage(pdf);
  HPDF_Page_SetSize(page, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
  HPDF_Page_SetLineWidth(page, static_cast<HPDF_REAL>(0.025 * k));
  static const float colours[4][3] = {{1, 0, 0}, {0, 1, 1}, {0, 0, 1}, {0, 1, 0}};
  for (long i = 0; i < kSegments; ++i) {
    HPDF_Page_SetRGBStroke(page, colours[i % 4][0], colours[i % 4][1], colours[i % 4][2]);
    const double x1 = 60 + 480.0 * (i / 4) / (kSegments / 4), x2 = 60 + 480.0 * (i / 4 + 1) / (kSegments / 4);
    line(page, x1 / k, graphY(i) / k, x2 / k, graphY(i + 4) / k);
  }
  HPDF_SaveToFile(pdf, file.c_str());
  HPDF_Free(pdf);
}

struct Result {
  double seconds = 0;
  long peakKb = 0;
  long long bytes = 0;
};

// Runs one write in a child process: wall time and the rise of its peak
// resident memory over what it started with.
Result measure(const std::function<void()>& run, const std::string& file) {
  int fd[2];
  if (pipe(fd) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    close(fd[0]);
    { std::ofstream("/proc/self/clear_refs") << "5"; }  // resets the peak to what is resident now
    const long base = bench::statusKb("VmRSS:");
    auto t0 = std::chrono::steady_clock::now();
    run();
    auto t1 = std::chrono::steady_clock::now();
    Result r;
    r.seconds = std::chrono::duration<double>(t1 - t0).count();
    r.peakKb = bench::statusKb("VmHWM:") - base;
    if (::write(fd[1], &r, sizeof r) != sizeof r) _exit(1);
    _exit(0);
  }
  close(fd[1]);
  Result r;
  if (read(fd[0], &r, sizeof r) != sizeof r) r = {};
  close(fd[0]);
  int st;
  waitpid(pid, &st, 0);
  r.bytes = static_cast<long long>(std::filesystem::file_size(file));
  return r;
}

// The median of some runs, time and peak memory each on their own.
Result median(std::vector<Result> runs) {
  auto mid = [&](auto key) {
    std::sort(runs.begin(), runs.end(), [&](const Result& a, const Result& b) { return key(a) < key(b); });
    return runs[runs.size() / 2];
  };
  Result m;
  m.seconds = mid([](const Result& r) { return r.seconds; }).seconds;
  m.peakKb = mid([](const Result& r) { return r.peakKb; }).peakKb;
  m.bytes = runs.back().bytes;
  return m;
}

struct Writer {
  const char* name;
  const char* file;
  std::function<void(const std::string& file, int pages)> write;
  std::vector<Result> runs;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string dir =
      argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "vkz-bench-pdf").string();
  const int runs = argc > 2 ? std::max(5, std::atoi(argv[2])) : 7;
  std::filesystem::create_directories(dir);
  const std::string logo = dir + "/logo.jpg";
  vkz::pdftest::writeBytes(logo, vkz::pdftest::makeJpeg(240, 80, 3, 20000));
  std::printf(
      "report-shaped A4 document: 37 ruled rows x 6 texts per page, logo, graph page of %d segments\n"
      "median of %d runs per writer and size, the writers taking turns (each run a fresh process)\n",
      kSegments, runs);
  std::printf("%6s  %-9s %10s %10s %12s %12s\n", "pages", "writer", "time ms", "peak KiB", "bytes/page",
              "file KiB");
  for (int pages : {10, 100, 1000}) {
    std::vector<Writer> writers = {
        {"qtzPDF", "qtz", [&](const std::string& f, int n) { writeQtz(f, n, logo); }, {}},
        {"libharu", "haru", [&](const std::string& f, int n) { writeHaru(f, n, logo, false); }, {}},
        {"libharu*", "haru-state", [&](const std::string& f, int n) { writeHaru(f, n, logo, true); }, {}},
    };
    // Round by round every writer runs once, the order turning each round,
    // so a slower or faster stretch of the machine falls on all alike.
    for (int r = 0; r < runs; ++r) {
      for (size_t i = 0; i < writers.size(); ++i) {
        Writer& w = writers[(i + static_cast<size_t>(r)) % writers.size()];
        const std::string file = dir + "/" + w.file + "-" + std::to_string(pages) + ".pdf";
        w.runs.push_back(measure([&] { w.write(file, pages); }, file));
      }
    }
    std::vector<Result> m;
    for (Writer& w : writers) {
      m.push_back(median(w.runs));
      const Result& r = m.back();
      std::printf("%6d  %-9s %10.2f %10ld %12lld %12lld\n", pages, w.name, r.seconds * 1000, r.peakKb,
                  r.bytes / pages, r.bytes / 1024);
    }
    const Result &q = m[0], &h = m[1];
    std::printf("%6d  qtzPDF / libharu: time %.2f, peak memory %.2f, file size %.2f\n", pages,
                q.seconds / h.seconds,
                static_cast<double>(q.peakKb) / static_cast<double>(h.peakKb > 0 ? h.peakKb : 1),
                static_cast<double>(q.bytes) / static_cast<double>(h.bytes));
  }
  std::printf(
      "libharu: the same drawing with libharu, compression off (the comparison)\n"
      "libharu*: libharu also setting colour, dash, width and font for every figure, as qtzPDF's "
      "content does (for reference only)\n");
  return 0;
}
