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

// A whole deferred call: `name` of `dll` called with the arguments that follow, or `failed`
// where it cannot be loaded.
#define DEFERRED_CALL(dll, name, failed, ...)                \
    {                                                        \
        DEFERRED_FUNCTION(dll, name);                        \
        return function ? function(__VA_ARGS__) : (failed); \
    }

// clang-format off
BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) DEFERRED_CALL("comdlg32.dll", GetOpenFileNameA, FALSE, ofn)
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) DEFERRED_CALL("comdlg32.dll", GetSaveFileNameA, FALSE, ofn)
BOOL ChooseColorA(LPCHOOSECOLORA chooser) DEFERRED_CALL("comdlg32.dll", ChooseColorA, FALSE, chooser)
BOOL ChooseFontA(LPCHOOSEFONTA chooser) DEFERRED_CALL("comdlg32.dll", ChooseFontA, FALSE, chooser)
BOOL PrintDlgA(LPPRINTDLGA pd) DEFERRED_CALL("comdlg32.dll", PrintDlgA, FALSE, pd)
DWORD CommDlgExtendedError() DEFERRED_CALL("comdlg32.dll", CommDlgExtendedError, 0, )
LRESULT LresultFromObject(REFIID iid, WPARAM wparam, LPUNKNOWN object)
    DEFERRED_CALL("oleacc.dll", LresultFromObject, 0, iid, wparam, object)
BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
    DEFERRED_CALL("oleaut32.dll", SysAllocStringLen, nullptr, text, length)
// clang-format on

// The calls that do more than return a value when they cannot be loaded.

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

HRESULT CreateStdAccessibleObject(HWND hwnd, LONG object_id, REFIID iid, void** out) {
    DEFERRED_FUNCTION("oleacc.dll", CreateStdAccessibleObject);
    if (function) return function(hwnd, object_id, iid, out);
    if (out) *out = nullptr;
    return E_FAIL;
}

#undef DEFERRED_CALL
#undef DEFERRED_FUNCTION

}  // namespace deferred
