#include "ui/printer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include "support/common/program_reset.h"
#include "ui/graph.h"

using namespace vkz;

namespace {

class PrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::resetProgram();  // the printer dialog answers from its queue
    ASSERT_TRUE(dir_.isValid());
  }
  void TearDown() override {
    PrinterSeam::resetTestRecords();
    PrinterSeam::setTestMode(false);
  }
  QString path(const char* name) const { return dir_.filePath(name); }
  static QByteArray read(const QString& p) {
    QFile f(p);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  static int pages(const QByteArray& pdf) {
    return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") +
                            pdf.count("/Type /Page/") + pdf.count("/Type /Page "));
  }
  QTemporaryDir dir_;
};

Graph* sampleGraph() {
  auto* g = new Graph;
  g->resize(640, 400);
  g->setCaption(GraphAxis::X, "No.s  (LAVG)");
  g->setCaption(GraphAxis::Y, "dB");
  g->setRange(GraphAxis::X, 1, 100);
  g->setRange(GraphAxis::Y, 25, 150);
  std::vector<double> v(100);
  for (int i = 0; i < 100; ++i) v[static_cast<size_t>(i)] = 70 + i % 20;
  g->plotY(v, 1, 1);
  g->addAnnotation(9, 10, 30, "Pause");
  return g;
}

}  // namespace

TEST_F(PrinterTest, GraphPrintsToAPdfFile) {
  std::unique_ptr<Graph> g(sampleGraph());
  PrinterSeam::answers().push_back({false, path("graph.pdf"), 1, QPageLayout::Landscape});
  std::unique_ptr<QPrinter> printer = PrinterSeam::choosePrinter(nullptr);
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
  {
    QPainter painter(printer.get());
    ASSERT_TRUE(painter.isActive());
    g->render(&painter, QRectF(0, 0, printer->width(), printer->height()));
  }
  const QByteArray pdf = read(path("graph.pdf"));
  EXPECT_TRUE(pdf.startsWith("%PDF"));
  EXPECT_GT(pdf.size(), 1000);
  EXPECT_EQ(pages(pdf), 1);
}

TEST_F(PrinterTest, WindowImageOncePerCopy) {
  std::unique_ptr<Graph> g(sampleGraph());
  PrinterSeam::answers().push_back({false, path("copies.pdf"), 2, QPageLayout::Portrait});
  std::unique_ptr<QPrinter> printer = PrinterSeam::choosePrinter(nullptr);
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->copyCount(), 2);
  const PrintResult r = printWidgetImage(*printer, g.get());
  EXPECT_TRUE(r.ok()) << r.message.toStdString();
  const QByteArray pdf = read(path("copies.pdf"));
  EXPECT_TRUE(pdf.startsWith("%PDF"));
  EXPECT_EQ(pages(pdf), copiesToDraw(*printer));
}

TEST_F(PrinterTest, CancelAndFailureAreResults) {
  PrinterSeam::answers().push_back({true, {}, 1, QPageLayout::Portrait});
  EXPECT_EQ(PrinterSeam::choosePrinter(nullptr), nullptr);
  EXPECT_EQ(PrinterSeam::choosePrinter(nullptr), nullptr);  // nothing queued: cancelled
  EXPECT_EQ(PrinterSeam::dialogsShown(), 2);

  std::unique_ptr<Graph> g(sampleGraph());
  const QString bad = path("missing-folder/out.pdf");
  PrinterSeam::answers().push_back({false, bad, 1, QPageLayout::Portrait});
  std::unique_ptr<QPrinter> printer = PrinterSeam::choosePrinter(nullptr);
  ASSERT_NE(printer, nullptr);
  const PrintResult r = printWidgetImage(*printer, g.get());
  EXPECT_EQ(r.status, PrintStatus::Failed);
  EXPECT_TRUE(r.message.contains(bad)) << r.message.toStdString();
  EXPECT_FALSE(QFile::exists(bad));
}
