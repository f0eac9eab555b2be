#include "document/win/edit_callback.h"


namespace {

// The slots are those of IRichEditOleCallback, in its order; the object holds nothing but the
// pointer to them.
class EditCallback final : public IRichEditOleCallback {
public:
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetNewStorage(LPSTORAGE*) override { return E_NOTIMPL; }
    STDMETHODIMP GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*, LPOLEINPLACEFRAMEINFO) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP ShowContainerUI(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override { return S_OK; }
    STDMETHODIMP DeleteObject(LPOLEOBJECT) override { return S_OK; }
    STDMETHODIMP QueryAcceptData(LPDATAOBJECT, CLIPFORMAT* format, DWORD operation, BOOL, HGLOBAL) override {
        // A drop takes plain text only; the document records it as it goes in.
        if (operation == RECO_DROP && format) *format = CF_TEXT;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT* data) override {
        if (!data) return E_POINTER;
        *data = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDragDropEffect(BOOL, DWORD, LPDWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU* menu) override {
        if (menu) *menu = nullptr;
        return E_NOTIMPL;
    }
};

EditCallback editCallback;

}  // namespace

void PrepareEditCallback() {}

IRichEditOleCallback* EditCallbackObject() { return &editCallback; }
