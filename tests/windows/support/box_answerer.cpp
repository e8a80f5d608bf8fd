#include "tests/windows/support/box_answerer.h"

#include <windows.h>

#include <chrono>

namespace testing_win {

namespace {

// Wine's message box keeps its icon in a static control with this id (stc1).
constexpr int kIconControlId = 0x0440;
constexpr int kTextControlId = 0xFFFF;

struct IconCandidate {
  BoxIcon icon;
  LPCWSTR resource;
};
const IconCandidate kIconCandidates[] = {
    {BoxIcon::Information, IDI_INFORMATION},
    {BoxIcon::Stop, IDI_HAND},
    {BoxIcon::Question, IDI_QUESTION},
    {BoxIcon::Warning, IDI_WARNING},
};

std::vector<COLORREF> Pixels(HDC source, int left, int top, int width, int height, HICON overlay,
                             COLORREF background) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  if (source != nullptr) {
    BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
  } else {
    HBRUSH brush = CreateSolidBrush(background);
    RECT all{0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, overlay, 0, 0, 0, nullptr, DI_NORMAL);
  }
  std::vector<COLORREF> pixels;
  pixels.reserve(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(memory, x, y));
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// An icon handle of another process cannot be inspected under Wine (GetIconInfo
// refuses it), so the icon is recognised by its looks: the control's pixels on
// the screen against each system icon drawn here on the same background. A box
// without icon has no icon set in the control at all.
BoxIcon RecogniseIcon(HWND box) {
  HWND control = GetDlgItem(box, kIconControlId);
  if (control == nullptr || SendMessageW(control, STM_GETICON, 0, 0) == 0) return BoxIcon::None;
  RECT area;
  GetWindowRect(control, &area);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return BoxIcon::Unrecognised;
  // The box may not be painted yet when it first shows.
  const ULONGLONG end = GetTickCount64() + 3000;
  do {
    HDC screen = GetDC(nullptr);
    const std::vector<COLORREF> shown =
        Pixels(screen, area.left, area.top, width, height, nullptr, 0);
    ReleaseDC(nullptr, screen);
    for (const IconCandidate& candidate : kIconCandidates) {
      HICON icon = LoadIconW(nullptr, candidate.resource);
      if (Pixels(nullptr, 0, 0, width, height, icon, shown[0]) == shown) return candidate.icon;
    }
    Sleep(30);
  } while (GetTickCount64() < end);
  return BoxIcon::Unrecognised;
}

std::wstring WindowText(HWND window) {
  std::wstring text(8192, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), 8192)));
  return text;
}

SeenBox Inspect(HWND box) {
  SeenBox seen;
  seen.caption = WindowText(box);
  std::wstring text(8192, L'\0');
  text.resize(GetDlgItemTextW(box, kTextControlId, text.data(), 8192));
  seen.text = text;
  seen.hasOk = GetDlgItem(box, IDOK) != nullptr;
  seen.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
  seen.hasYes = GetDlgItem(box, IDYES) != nullptr;
  seen.hasNo = GetDlgItem(box, IDNO) != nullptr;
  seen.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  seen.icon = RecogniseIcon(box);
  return seen;
}

int ButtonToPress(HWND box, int scripted) {
  if (scripted != 0 && GetDlgItem(box, scripted) != nullptr) return scripted;
  // A box that lacks the scripted button is still closed, and the record shows it.
  return GetDlgItem(box, IDCANCEL) != nullptr ? IDCANCEL : IDOK;
}

void Answer(BoxAnswerer& answerer) {
  auto lastEvent = std::chrono::steady_clock::now();
  const auto limit = std::chrono::milliseconds(answerer.timeoutMs);
  while (!answerer.stop) {
    size_t answered;
    {
      std::lock_guard<std::mutex> lock(answerer.guard);
      answered = answerer.seen.size();
    }
    const bool scripted = answered < answerer.script.size();
    if (scripted && std::chrono::steady_clock::now() - lastEvent > limit) {
      answerer.timedOut = true;
      return;
    }
    HWND box = FindWindowW(L"#32770", answerer.caption.c_str());
    // A dialog is built hidden and shown once its controls are in place.
    if (box == nullptr || !IsWindowVisible(box)) {
      Sleep(20);
      continue;
    }
    SeenBox seen = Inspect(box);
    seen.pressed = ButtonToPress(box, scripted ? answerer.script[answered] : 0);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(seen.pressed, BN_CLICKED), 0);
    {
      std::lock_guard<std::mutex> lock(answerer.guard);
      answerer.seen.push_back(seen);
    }
    // The same box must not be answered twice while it closes.
    for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
    lastEvent = std::chrono::steady_clock::now();
  }
}

}  // namespace

const char* BoxIconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None:
      return "none";
    case BoxIcon::Information:
      return "information";
    case BoxIcon::Stop:
      return "stop";
    case BoxIcon::Question:
      return "question";
    case BoxIcon::Warning:
      return "warning";
    case BoxIcon::Unrecognised:
      break;
  }
  return "unrecognised";
}

void StartAnswering(BoxAnswerer& answerer, const std::wstring& caption, std::vector<int> script,
                    unsigned timeoutMs) {
  answerer.caption = caption;
  answerer.script = std::move(script);
  answerer.timeoutMs = timeoutMs;
  answerer.stop = false;
  answerer.timedOut = false;
  answerer.seen.clear();
  answerer.worker = std::thread(Answer, std::ref(answerer));
}

std::vector<SeenBox> FinishAnswering(BoxAnswerer& answerer) {
  answerer.stop = true;
  if (answerer.worker.joinable()) answerer.worker.join();
  return answerer.seen;
}

bool WaitForScript(BoxAnswerer& answerer) {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(answerer.guard);
      if (answerer.seen.size() >= answerer.script.size()) return true;
    }
    if (answerer.timedOut) return false;
    Sleep(20);
  }
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace testing_win
