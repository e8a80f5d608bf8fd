#include "platform/win32/change_gate.h"

os::ChangeGate win32::g_changeGate = nullptr;

void os::SetChangeGate(ChangeGate gate) { win32::g_changeGate = gate; }
