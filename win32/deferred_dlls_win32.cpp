// Loading on first use: each function is looked up once; its DLL stays loaded with the program.
#include "win32/deferred_dlls_win32.h"

namespace deferred {

namespace {

template <typename Function>
Function look_up(const char* dll, const char* name) {
    HMODULE module = LoadLibraryA(dll);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace

// The function `name` of `dll`, found on the first call, of the type of the system's own.
#define DEFERRED_FUNCTION(dll, name) \
    static const auto function = look_up<decltype(&::name)>(dll, #name)

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) {
    DEFERRED_FUNCTION("comdlg32.dll", GetOpenFileNameA);
    return function ? function(ofn) : FALSE;
}

BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) {
    DEFERRED_FUNCTION("comdlg32.dll", GetSaveFileNameA);
    return function ? function(ofn) : FALSE;
}

BOOL ChooseColorA(LPCHOOSECOLORA chooser) {
    DEFERRED_FUNCTION("comdlg32.dll", ChooseColorA);
    return function ? function(chooser) : FALSE;
}

BOOL ChooseFontA(LPCHOOSEFONTA chooser) {
    DEFERRED_FUNCTION("comdlg32.dll", ChooseFontA);
    return function ? function(chooser) : FALSE;
}

BOOL PrintDlgA(LPPRINTDLGA pd) {
    DEFERRED_FUNCTION("comdlg32.dll", PrintDlgA);
    return function ? function(pd) : FALSE;
}

DWORD CommDlgExtendedError() {
    DEFERRED_FUNCTION("comdlg32.dll", CommDlgExtendedError);
    return function ? function() : 0;
}

UINT DragQueryFileA(HDROP drop, UINT file, LPSTR name, UINT size) {
    DEFERRED_FUNCTION("shell32.dll", DragQueryFileA);
    if (function) return function(drop, file, name, size);
    if (name && size > 0) name[0] = '\0';
    return 0;
}

void DragFinish(HDROP drop) {
    DEFERRED_FUNCTION("shell32.dll", DragFinish);
    if (function) function(drop);
}

LRESULT LresultFromObject(REFIID iid, WPARAM wparam, LPUNKNOWN object) {
    DEFERRED_FUNCTION("oleacc.dll", LresultFromObject);
    return function ? function(iid, wparam, object) : 0;
}

HRESULT CreateStdAccessibleObject(HWND hwnd, LONG object_id, REFIID iid, void** out) {
    DEFERRED_FUNCTION("oleacc.dll", CreateStdAccessibleObject);
    if (function) return function(hwnd, object_id, iid, out);
    if (out) *out = nullptr;
    return E_FAIL;
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    DEFERRED_FUNCTION("oleaut32.dll", SysAllocStringLen);
    return function ? function(text, length) : nullptr;
}

#undef DEFERRED_FUNCTION

}  // namespace deferred
