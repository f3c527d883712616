#include "tests/windows/support/wintest_common_controls.h"

#include <string>

namespace tintra::wintest {

namespace {

// The dependency part of resources/tintra.manifest.
constexpr char kManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
    "  <dependency><dependentAssembly>\n"
    "    <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\"\n"
    "      version=\"6.0.0.0\" processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\"\n"
    "      language=\"*\"/>\n"
    "  </dependentAssembly></dependency>\n"
    "</assembly>\n";

// Writes the manifest to a fresh temporary file; empty path on failure.
std::string WriteManifest() {
  char folder[MAX_PATH + 1] = {};
  char path[MAX_PATH + 1] = {};
  if (GetTempPathA(sizeof(folder), folder) == 0) return {};
  if (GetTempFileNameA(folder, "tcc", 0, path) == 0) return {};
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileA(path);
    return {};
  }
  DWORD written = 0;
  const BOOL ok = WriteFile(file, kManifest, sizeof(kManifest) - 1, &written, nullptr);
  CloseHandle(file);
  if (!ok || written != sizeof(kManifest) - 1) {
    DeleteFileA(path);
    return {};
  }
  return path;
}

}  // namespace

CommonControls6::CommonControls6() {
  const std::string path = WriteManifest();
  if (path.empty()) return;
  ACTCTXA request{};
  request.cbSize = sizeof(request);
  request.lpSource = path.c_str();
  context = CreateActCtxA(&request);
  DeleteFileA(path.c_str());  // the context keeps what it read
  if (context == INVALID_HANDLE_VALUE) return;
  active = ActivateActCtx(context, &cookie) != FALSE;
}

CommonControls6::~CommonControls6() {
  if (active) DeactivateActCtx(0, cookie);
  if (context != INVALID_HANDLE_VALUE) ReleaseActCtx(context);
}

}  // namespace tintra::wintest
