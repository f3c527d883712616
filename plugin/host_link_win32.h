// The plug-in's link to the Tarvo editor, Win32 shell: the hidden link
// window, the hook that takes in the editor's WM_COPYDATA messages during
// every wait of the run, the requests, the result text and the finished
// message. The rules for the incoming messages are host_link.h's.
//
// The hook is a WH_CBT hook that puts LinkWindowProc in front of the window
// procedure of every window the plug-in's thread creates (dialog, chooser,
// message boxes, controls). A WH_CALLWNDPROC hook would see sent messages
// too, but it cannot set the reply (only ReplyMessage can), and under Wine
// the COPYDATASTRUCT it is shown for a WM_COPYDATA from another process is
// not the one sent (wild code, size and address), so reading it is unsafe.
// A window procedure gets the real one and returns the reply itself.
//
// Single thread: every function here is called on the plug-in's one thread,
// and the hook runs on it too.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "plugin/host_link.h"

namespace tintra {

inline constexpr char kLinkWindowTitle[] = "Tarvo-Plugin";
inline constexpr char kLinkWindowClass[] = "TintraLinkWindow";
inline constexpr int kLinkWindowClientSize = 200;  // pixels, width and height
inline constexpr int kLinkWindowLeft = 0;          // screen pixels, outer top-left corner
inline constexpr int kLinkWindowTop = 200;
inline constexpr DWORD kAnswerWaitMs = 5000;  // wait for the answer to a request

// Creates the hidden link window (never shown). False when it cannot be
// created.
bool OpenLinkWindow();

// Installs the link hook for the calling thread: from then on every window
// the thread creates gets LinkWindowProc in front of its own procedure.
void InstallLinkHook();

// Sees every message of a window of the plug-in (other than the link
// window, which handles its own) before the window's own procedure: a
// WM_COPYDATA is applied to the link state and answered here; everything
// else goes on to the window's procedure.
LRESULT CALLBACK LinkWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The editor window, from the low 32 bits of its handle (command line).
void SetEditorWindow(std::int32_t handle);

// Request 1037..1040: asks the editor and waits up to kAnswerWaitMs for its
// answer. Returns the stored answer block (owned by the link, valid until the
// next message that replaces it) or nullptr for a refused, unanswered or
// unknown request.
const AnswerBlock* LinkRequest(std::uint32_t code);

// The text to edit (request 1037): the answer up to its first NUL, or the
// empty text when there is none.
std::string LinkGetText();

// Sends `text` with its NUL in one WM_COPYDATA of `code` to the editor.
void LinkSendText(std::uint32_t code, std::string_view text);

// Posts the finished message 1042 to the editor.
void LinkPostFinished();

// Destroys the link window.
void CloseLinkWindow();

// Removes the hook and releases the answer blocks (end of the run).
void ReleaseLink();

}  // namespace tintra
