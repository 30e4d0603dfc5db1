// The common dialogs and the shell's dropped-file calls, loaded when first used rather than with
// the program: loading comdlg32 and shell32 at start-up costs Wine some 50 ms before the first
// page, and the first page needs neither. Each call behaves as the DLL's own; when a DLL or a
// function cannot be loaded, it fails as the call does when its dialog is cancelled or nothing
// was dropped.
#pragma once

#include <windows.h>

#include <commdlg.h>
#include <oleacc.h>
#include <shellapi.h>

namespace deferred {

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn);
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn);
BOOL ChooseColorA(LPCHOOSECOLORA chooser);
BOOL ChooseFontA(LPCHOOSEFONTA chooser);
BOOL PrintDlgA(LPPRINTDLGA pd);
DWORD CommDlgExtendedError();

UINT DragQueryFileA(HDROP drop, UINT file, LPSTR name, UINT size);
void DragFinish(HDROP drop);

// Accessibility (oleacc, oleaut32): loaded when a screen reader first asks for the page. Without
// the DLL the window answers as if it had no object of its own.
LRESULT LresultFromObject(REFIID iid, WPARAM wparam, LPUNKNOWN object);
HRESULT CreateStdAccessibleObject(HWND hwnd, LONG object_id, REFIID iid, void** out);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);

}  // namespace deferred
