// The toolkit module (standalone/toolkit_module.h): the Qt side of tintra.
#include <QApplication>
#include <memory>

#include "standalone/clipboard.h"
#include "standalone/toolkit_module.h"

namespace tintra {
namespace {

// The toolkit of the process; made by Start, ended by Stop.
std::unique_ptr<QApplication>& Application() {
  static std::unique_ptr<QApplication> application;
  return application;
}

// Toolkit messages dropped: in an editor's pipe nobody reads them, and
// several editors put standard error into the text.
void DropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

void Start(int* argc, char** argv, bool quiet) {
  if (Application() != nullptr) return;
  if (quiet) qInstallMessageHandler(&DropMessage);
  Application() = std::make_unique<QApplication>(*argc, argv);
  // No window closing ends the program: its one pass does.
  QApplication::setQuitOnLastWindowClosed(false);
}

void Stop() {
  Application().reset();
}

PickerAnswer Edit(ColorValue initial, std::string_view descriptor, int alpha_flag,
                  const PickerOptions& options) {
  return EditColorInPicker(initial, descriptor, alpha_flag, nullptr, options);
}

constexpr ToolkitModule kModule = {&Start,
                                   &Stop,
                                   &Edit,
                                   &ChooseFromList,
                                   &ReadClipboardText,
                                   &WriteClipboardText,
                                   &RunClipboardKeeper};

}  // namespace
}  // namespace tintra

extern "C" __attribute__((visibility("default"))) const tintra::ToolkitModule*
tintra_toolkit_module() {
  return &tintra::kModule;
}
