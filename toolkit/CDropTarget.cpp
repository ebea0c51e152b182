#include "toolkit/CDropTarget.h"

#include "toolkit/CDragContainer.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

namespace toolkit
{
namespace
{

CDragContainer*& currentDrag()
{
    static CDragContainer* drag = nullptr;
    return drag;
}

void endDrag()
{
    if (CDragContainer* drag = currentDrag())
    {
        currentDrag() = nullptr;
        drag->forget();
    }
}

} // namespace

CDragContainer* dragInFlight()
{
    return currentDrag();
}

CDropTarget::CDropTarget(CFrame* frame) : frame(frame) {}

CDropTarget::~CDropTarget() = default;

HRESULT STDMETHODCALLTYPE CDropTarget::QueryInterface(REFIID id, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(id, IID_IDropTarget) || IsEqualIID(id, IID_IUnknown))
    {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CDropTarget::AddRef()
{
    return static_cast<ULONG>(++refCount);
}

ULONG STDMETHODCALLTYPE CDropTarget::Release()
{
    const long count = --refCount;
    if (count <= 0)
    {
        delete this;
        return 0;
    }
    return static_cast<ULONG>(count);
}

HRESULT STDMETHODCALLTYPE CDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect)
{
    if (!data || !frame)
    {
        if (effect)
            *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    // A drag the system never ended is dropped for the new one.
    endDrag();
    currentDrag() = new CDragContainer(data);
    route(Step::enter, currentDrag());
    if (effect)
        *effect = DROPEFFECT_MOVE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTarget::DragOver(DWORD, POINTL, DWORD* effect)
{
    if (!currentDrag() || !frame)
        return S_OK;
    route(Step::move, currentDrag());
    if (effect)
        *effect = DROPEFFECT_MOVE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTarget::DragLeave()
{
    if (!currentDrag() || !frame)
        return S_OK;
    route(Step::leave, currentDrag());
    endDrag();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CDropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD*)
{
    if (!currentDrag() || !frame)
        return S_OK;
    route(Step::drop, currentDrag());
    endDrag();
    return S_OK;
}

void CDropTarget::route(Step step, CDragContainer* drag)
{
    // A view's handler may reach the host, which may close the editor: the frame stays whole
    // until the call returns, and the target with it.
    CFrame::EventScope scope(frame);
    AddRef();
    CDrawContext* context = frame->createDrawContext();
    CPoint where(0, 0);
    frame->getMouseLocation(context, where);
    switch (step)
    {
    case Step::enter:
        frame->onDragEnter(context, drag, where);
        break;
    case Step::move:
        frame->onDragMove(context, drag, where);
        break;
    case Step::leave:
        frame->onDragLeave(context, drag, where);
        break;
    case Step::drop:
        frame->onDrop(context, drag, where);
        break;
    }
    context->forget();
    Release();
}

} // namespace toolkit
