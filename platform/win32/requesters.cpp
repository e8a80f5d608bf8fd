// The requesters: the small input window, the open-file dialog, the folder browser.
#include <windows.h>
// After windows.h, which they build on.
#include <commdlg.h>
#include <shlobj.h>

#include "platform/platform.h"

namespace {

constexpr wchar_t kInputClass[] = L"voQInputPrompt";
constexpr int kInputWidth = 300;
constexpr int kInputHeight = 130;
constexpr int kMargin = 10;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kEditId = 100;  // the button is IDOK, so that the dialog manager finds it

struct InputState {
  HWND edit = nullptr;
  bool done = false;
  std::optional<std::wstring> answer;
};

void Accept(InputState& state) {
  const int length = GetWindowTextLengthW(state.edit);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(state.edit, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  state.answer = std::move(text);
  state.done = true;
}

LRESULT CALLBACK InputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (state != nullptr) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
      Accept(*state);
      return 0;
    }
    // Escape through the dialog manager, and the close box.
    if ((message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE) {
      state->done = true;
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterInputClass(HINSTANCE instance) {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = InputProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kInputClass;
  registered = RegisterClassExW(&windowClass) != 0;
  return registered;
}

HWND AddControl(HWND parent, const wchar_t* controlClass, const std::wstring& text, DWORD style,
                RECT place, int id) {
  HWND control = CreateWindowExW(
      0, controlClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, place.left, place.top,
      place.right - place.left, place.bottom - place.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               FALSE);
  return control;
}

// Shows the window, runs its own message loop until it is answered, and removes it.
std::optional<std::wstring> RunInputWindow(const std::wstring& title, const std::wstring& message,
                                           const std::wstring& initialText, bool masked) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterInputClass(instance)) return std::nullopt;
  HWND owner = GetActiveWindow();

  InputState state;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kInputWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kInputHeight) / 2;
  // Topmost like the launcher's message boxes: nothing else of the launcher is on screen.
  HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kInputClass, title.c_str(),
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, left, top, kInputWidth,
                                kInputHeight, owner, nullptr, instance, &state);
  if (window == nullptr) return std::nullopt;

  RECT client;
  GetClientRect(window, &client);
  const LONG width = client.right - client.left;
  AddControl(window, L"STATIC", message, SS_LEFTNOWORDWRAP,
             RECT{kMargin, kMargin, width - kMargin, kMargin + 16}, -1);
  state.edit = AddControl(window, L"EDIT", initialText,
                          WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | (masked ? ES_PASSWORD : 0),
                          RECT{kMargin, kMargin + 20, width - kMargin, kMargin + 42}, kEditId);
  const LONG buttonLeft = (width - kButtonWidth) / 2;
  const LONG buttonTop = client.bottom - kMargin - kButtonHeight;
  AddControl(window, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON,
             RECT{buttonLeft, buttonTop, buttonLeft + kButtonWidth, buttonTop + kButtonHeight},
             IDOK);

  if (owner != nullptr) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(state.edit);
  const LPARAM end = GetWindowTextLengthW(state.edit);
  SendMessageW(state.edit, EM_SETSEL, static_cast<WPARAM>(end), end);

  MSG msg;
  while (!state.done) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns the quit
      break;
    }
    if (got < 0) break;
    // Enter and Escape in the window or its edit field, whatever the dialog manager does.
    if (msg.message == WM_KEYDOWN && (msg.hwnd == window || IsChild(window, msg.hwnd))) {
      if (msg.wParam == VK_RETURN) {
        Accept(state);
        continue;
      }
      if (msg.wParam == VK_ESCAPE) {
        state.done = true;
        continue;
      }
    }
    if (!IsDialogMessageW(window, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  if (owner != nullptr) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  DestroyWindow(window);
  return state.answer;
}

struct BrowseRequest {
  const std::wstring* title;
  const std::wstring* initialFolder;
};

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    const auto* request = reinterpret_cast<const BrowseRequest*>(data);
    // The title stands in the caption too, where the user looks first.
    SetWindowTextW(window, request->title->c_str());
    // Selected twice: Wine's browser may stop the first walk at a folder whose
    // children it has not listed yet (about one start in three, measured); the
    // second walk finds them. On Windows the second one changes nothing.
    for (int attempt = 0; attempt < 2 && !request->initialFolder->empty(); ++attempt)
      SendMessageW(window, BFFM_SETSELECTIONW, TRUE,
                   reinterpret_cast<LPARAM>(request->initialFolder->c_str()));
  }
  return 0;
}

}  // namespace

namespace os {

std::optional<std::wstring> AskText(const std::wstring& title, const std::wstring& message,
                                    const std::wstring& initialText, bool masked) {
  return RunInputWindow(title, message, initialText, masked);
}

std::optional<std::wstring> AskFile(const std::wstring& title, const std::wstring& filter,
                                    const std::wstring& initialPath) {
  // "Text|*.txt|All|*.*" becomes the dialog's list of zero-ended strings.
  std::wstring filterList = filter;
  for (wchar_t& c : filterList)
    if (c == L'|') c = L'\0';
  filterList.append(2, L'\0');

  const size_t cut = initialPath.find_last_of(L'\\');
  const std::wstring folder = cut == std::wstring::npos ? L"" : initialPath.substr(0, cut + 1);
  const std::wstring name = cut == std::wstring::npos ? initialPath : initialPath.substr(cut + 1);
  wchar_t file[MAX_PATH] = {};
  name.copy(file, MAX_PATH - 1);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = GetActiveWindow();
  dialog.lpstrFilter = filter.empty() ? nullptr : filterList.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return std::wstring(file);
}

std::optional<std::wstring> AskFolder(const std::wstring& title,
                                      const std::wstring& initialFolder) {
  BrowseRequest request{&title, &initialFolder};
  BROWSEINFOW browse{};
  browse.hwndOwner = GetActiveWindow();
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(&request);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (chosen == nullptr) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  // A place without a file-system path (the computer itself, say) answers nothing.
  const bool hasPath = SHGetPathFromIDListW(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  if (!hasPath) return std::nullopt;
  return std::wstring(path);
}

}  // namespace os
