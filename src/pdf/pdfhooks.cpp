#include "pdf/pdfhooks.h"

#include <QString>

#include "pdf/qtzpdf.h"
#include "ui/msgbox.h"

namespace vkz {

void installPdfHooks() {
  qtzPDF::setDefaultHooks(
      [](const PdfMessage& m) {
        MsgBox::show(QString::fromStdString(m.text),
                     m.icon == PdfIcon::Critical ? MsgIcon::Critical : MsgIcon::None, MsgButtons::Ok,
                     QString::fromStdString(m.title));
      },
      [](const std::string& path) { return MsgBox::openDocument(QString::fromStdString(path)); });
}

}  // namespace vkz
