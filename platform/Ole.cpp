// OLE drag and drop as far as Linux has it: the initialisation count and the registrations.
#include "platform/WindowSystem.h"

#include <algorithm>

namespace qev::platform
{
namespace
{

std::vector<DropRegistration>::iterator registrationOf(HWND hwnd)
{
    auto& drops = windowSystem().drops;
    return std::find_if(drops.begin(), drops.end(),
                        [&](const DropRegistration& r) { return r.window == hwnd; });
}

void releaseAll()
{
    auto& drops = windowSystem().drops;
    // Taken out first: a target's release may reach back into this layer.
    std::vector<DropRegistration> left;
    left.swap(drops);
    for (const DropRegistration& r : left)
        r.target->Release();
}

} // namespace
} // namespace qev::platform

using namespace qev::platform;

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDataObject = {0x0000010E, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDropTarget = {0x00000122, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

HRESULT OleInitialize(LPVOID)
{
    return ++windowSystem().oleInitialised == 1 ? S_OK : S_FALSE;
}

void OleUninitialize(void)
{
    WindowSystem& ws = windowSystem();
    if (ws.oleInitialised == 0)
        return;
    if (--ws.oleInitialised == 0)
        releaseAll();
}

HRESULT RegisterDragDrop(HWND hwnd, LPDROPTARGET target)
{
    if (windowSystem().oleInitialised == 0)
        return E_OUTOFMEMORY;
    if (!target)
        return E_INVALIDARG;
    if (!findWindow(hwnd))
        return DRAGDROP_E_INVALIDHWND;
    if (registrationOf(hwnd) != windowSystem().drops.end())
        return DRAGDROP_E_ALREADYREGISTERED;
    target->AddRef();
    windowSystem().drops.push_back(DropRegistration{hwnd, target});
    return S_OK;
}

HRESULT RevokeDragDrop(HWND hwnd)
{
    auto& drops = windowSystem().drops;
    auto it = registrationOf(hwnd);
    if (it == drops.end())
        return findWindow(hwnd) ? DRAGDROP_E_NOTREGISTERED : DRAGDROP_E_INVALIDHWND;
    IDropTarget* target = it->target;
    drops.erase(it);
    if (drops.empty())
        drops.shrink_to_fit();
    target->Release();
    return S_OK;
}

UINT DragQueryFileA(HDROP, UINT, LPSTR name, UINT count)
{
    if (name && count > 0)
        name[0] = '\0';
    return 0;
}

void ReleaseStgMedium(LPSTGMEDIUM medium)
{
    if (!medium)
        return;
    if (medium->pUnkForRelease)
        medium->pUnkForRelease->Release();
    medium->tymed = TYMED_NULL;
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
}
