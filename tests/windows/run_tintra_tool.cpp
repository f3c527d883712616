// Runs Tintra.exe (beside this tool) for scripts/run-tintra.sh and reports the
// clipboard before and after, through Wine's clipboard as the program sees
// it. The tool stays alive for the whole run: Wine keeps its clipboard (and
// its bridge to the X clipboard) only while one of its programs runs.
//
//   run_tintra_tool <sample text> [--demo <image prefix>] [--keep]
//
//   <sample text>  put on the clipboard first when it holds no text
//   --demo         nobody is there to click: once the dialog shows the colour,
//                  save it as <prefix>-dialog.bmp and press OK; if the format
//                  chooser follows, save <prefix>-chooser.bmp and press its
//                  first button (RGB)
//   --keep         after the run, wait for Enter on the standard input, so
//                  that the result can be pasted elsewhere meanwhile
//
// Exit code: 0 when Tintra ran to its end, 1 otherwise, 2 bad arguments.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "picker/interaction.h"
#include "standalone/clipboard.h"
#include "tests/windows/support/wintest_input.h"
#include "tests/windows/support/wintest_screen.h"
#include "tests/windows/support/wintest_wait.h"
#include "tests/windows/support/wintest_windows.h"
#include "tests/windows/support/wintest_wine.h"

namespace {

using namespace tintra::wintest;

constexpr char kDialogTitle[] = "S\xE9lection de couleur";
constexpr char kChooserTitle[] = "Choix du format";
constexpr int kDemoTimeoutMs = 30000;

bool ClipboardHasText() {
  if (!OpenClipboard(nullptr)) return false;
  const bool has = IsClipboardFormatAvailable(CF_TEXT) != FALSE;
  CloseClipboard();
  return has;
}

void PrintClipboard(const char* label) {
  if (ClipboardHasText()) {
    std::printf("%s %s\n", label, tintra::ReadClipboardText().c_str());
  } else {
    std::printf("%s (no text)\n", label);
  }
  std::fflush(stdout);
}

// The window's screen rectangle as a 24-bit bottom-up BMP file.
bool SaveWindowImage(HWND window, const std::string& path) {
  RECT r{};
  GetWindowRect(window, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const std::vector<std::uint32_t> pixels = CaptureScreen(r);  // red in bits 0-7
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * height) {
    return false;
  }
  const int row_bytes = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(row_bytes) * static_cast<DWORD>(height);
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  std::vector<unsigned char> row(static_cast<std::size_t>(row_bytes), 0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
      row[x * 3 + 0] = static_cast<unsigned char>(p >> 16);  // blue
      row[x * 3 + 1] = static_cast<unsigned char>(p >> 8);   // green
      row[x * 3 + 2] = static_cast<unsigned char>(p);        // red
    }
    std::fwrite(row.data(), 1, row.size(), out);
  }
  return std::fclose(out) == 0;
}

// The dialog has shown the colour once its red field has a text.
bool WaitForDialogFilled(HWND dialog) {
  return WaitUntil(
      [&] {
        HWND red = GetDlgItem(dialog, static_cast<int>(tintra::WidgetId::kRedField));
        if (red == nullptr) return false;
        char text[16] = {};
        DWORD_PTR length = 0;
        SendMessageTimeoutA(red, WM_GETTEXT, sizeof text - 1, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 1000, &length);
        return length > 0;
      },
      kDemoTimeoutMs);
}

// A click in the middle of a widget, wherever the dialog's scale put it.
void ClickWidget(HWND window, int id) {
  if (HWND widget = GetDlgItem(window, id)) {
    const RECT r = RectInClient(widget, window);
    ClickAt(ClientPointOnScreen(window, (r.left + r.right) / 2, (r.top + r.bottom) / 2));
  }
}

// Paints the window now, so that the picture shows it finished.
void PaintNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
}

void Demo(const StartedProcess& tintra, const std::string& prefix) {
  const DWORD pid = tintra.info.dwProcessId;
  HWND dialog = WaitForTopWindow(pid, kDialogTitle, kDemoTimeoutMs, &tintra);
  if (dialog == nullptr || !WaitForDialogFilled(dialog)) {
    std::printf("demo: the dialog did not show\n");
    return;
  }
  PaintNow(dialog);
  const std::string dialog_image = prefix + "-dialog.bmp";
  if (SaveWindowImage(dialog, dialog_image)) std::printf("demo: saved %s\n", dialog_image.c_str());
  std::printf("demo: pressing OK\n");
  std::fflush(stdout);
  ClickWidget(dialog, static_cast<int>(tintra::WidgetId::kOkButton));

  HWND chooser = WaitForTopWindow(pid, kChooserTitle, kDemoTimeoutMs, &tintra);
  if (chooser == nullptr) return;  // Tintra ended: the text had a notation
  PaintNow(chooser);
  const std::string chooser_image = prefix + "-chooser.bmp";
  if (SaveWindowImage(chooser, chooser_image)) {
    std::printf("demo: saved %s\n", chooser_image.c_str());
  }
  std::printf("demo: pressing the RGB button of the format chooser\n");
  std::fflush(stdout);
  ClickWidget(chooser, 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: run_tintra_tool <sample text> [--demo <image prefix>] [--keep]\n", stderr);
    return 2;
  }
  // Tintra is per-monitor DPI aware: so is the tool, to see its pixels.
  SetThreadPerMonitorDpiAware();
  const std::string sample = argv[1];
  std::string demo_prefix;
  bool keep = false;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--demo" && i + 1 < argc) {
      demo_prefix = argv[++i];
    } else if (arg == "--keep") {
      keep = true;
    } else {
      std::fprintf(stderr, "run_tintra_tool: unknown argument %s\n", argv[i]);
      return 2;
    }
  }

  if (!ClipboardHasText()) {
    tintra::WriteClipboardText(sample);
    std::printf("The clipboard held no text: put the sample %s on it.\n", sample.c_str());
  }
  PrintClipboard("clipboard before:");

  StartedProcess tintra;
  if (!StartProgram("Tintra.exe", "", tintra)) {
    std::printf("Tintra.exe could not be started from %s\n", ProgramFolder().c_str());
    return 1;
  }
  // Serve this tool's messages while waiting: Tintra tells the previous
  // clipboard owner when it empties the clipboard.
  const auto ended = [&] { return tintra.WaitForExit(0); };
  if (!demo_prefix.empty()) {
    Demo(tintra, demo_prefix);
    if (!WaitUntil(ended, kDemoTimeoutMs)) {
      std::printf("demo: Tintra did not end; stopping it\n");
      tintra.End();
      return 1;
    }
  } else {
    while (!WaitUntil(ended, 1000)) {
    }
  }
  PrintClipboard("clipboard after: ");
  if (keep) {
    std::printf("The result stays on the clipboard until you press Enter.\n");
    std::fflush(stdout);
    char line[8];
    if (std::fgets(line, sizeof line, stdin) == nullptr) return 0;  // end of input
  }
  return 0;
}
