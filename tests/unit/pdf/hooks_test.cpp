// The writer's messages reach the program's message box, and "view" its
// shell "open".
#include <QCoreApplication>

#include "pdf/pdfhooks.h"
#include "pdftest.h"
#include "ui/msgbox.h"

namespace vkz {
namespace {

TEST(PdfHooks, MessagesAndViewerGoThroughTheProgramsSeams) {
  MsgBox::setTestMode(true);
  MsgBox::resetTestRecords();
  installPdfHooks();
  pdftest::ScratchDir dir;
  {
    qtzPDF pdf;
    pdf.PDFSetUnit(9);
    pdf.PDFView(true);
    ASSERT_TRUE(pdf.PDFFileName(dir.file("h.pdf")));
    ASSERT_TRUE(pdf.PDFBeginDoc());
    ASSERT_TRUE(pdf.PDFEndDoc());
  }
  qtzPDF::setDefaultHooks(nullptr, nullptr);
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(MsgBox::shown()[0].title, "Error in measurement unit - qtzPDF 1.0");
  EXPECT_EQ(MsgBox::shown()[0].text, "Incorrect Unit of Measure : 9.\r\nUsing centimeter ");
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
  ASSERT_EQ(MsgBox::openedDocuments().size(), 1);
  EXPECT_EQ(MsgBox::openedDocuments()[0].toStdString(), dir.file("h.pdf"));
  MsgBox::setTestMode(false);
}

}  // namespace
}  // namespace vkz
