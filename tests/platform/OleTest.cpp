// Drag-and-drop registrations: kept as the frame's drop state needs them, released whatever
// order the window, the revocation and the last uninitialisation come in.
#include "tests/platform/WindowTestKit.h"

namespace qev::test
{
namespace
{

// A drop target that counts its references and is never called on Linux.
class CountingTarget : public IDropTarget
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        *object = riid == IID_IUnknown || riid == IID_IDropTarget ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override
    {
        ++calls;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override
    {
        ++calls;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override
    {
        ++calls;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD*) override
    {
        ++calls;
        return S_OK;
    }

    int references = 0;
    int calls = 0;
};

TEST_F(WindowTest, DropRegistrationsFollowOleRulesAndAreAlwaysReleased)
{
    HWND w = makeChild(hostWindow());
    CountingTarget target;
    EXPECT_EQ(RegisterDragDrop(w, &target), E_OUTOFMEMORY); // before OleInitialize
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    EXPECT_EQ(OleInitialize(nullptr), S_FALSE);

    EXPECT_EQ(RegisterDragDrop(w, nullptr), E_INVALIDARG);
    EXPECT_EQ(RegisterDragDrop(hostWindow(), &target), DRAGDROP_E_INVALIDHWND);
    EXPECT_EQ(RegisterDragDrop(w, &target), S_OK);
    EXPECT_EQ(target.references, 1);
    EXPECT_EQ(RegisterDragDrop(w, &target), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(RevokeDragDrop(w), S_OK);
    EXPECT_EQ(target.references, 0);
    EXPECT_EQ(RevokeDragDrop(w), DRAGDROP_E_NOTREGISTERED);

    // The window may go first: the registration waits for its revocation.
    EXPECT_EQ(RegisterDragDrop(w, &target), S_OK);
    DestroyWindow(w);
    EXPECT_EQ(target.references, 1);
    EXPECT_EQ(RevokeDragDrop(w), S_OK);
    EXPECT_EQ(target.references, 0);

    // Or never be revoked: the last uninitialisation releases what is left.
    HWND v = makeChild(hostWindow());
    EXPECT_EQ(RegisterDragDrop(v, &target), S_OK);
    DestroyWindow(v);
    OleUninitialize();
    EXPECT_EQ(target.references, 1);
    OleUninitialize();
    EXPECT_EQ(target.references, 0);
    OleUninitialize(); // one too many: nothing happens
    EXPECT_EQ(target.calls, 0);

    char name[8] = "x";
    EXPECT_EQ(DragQueryFileA(nullptr, 0xFFFFFFFF, name, sizeof name), 0u);
    EXPECT_STREQ(name, "");
}

} // namespace
} // namespace qev::test
