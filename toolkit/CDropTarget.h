#pragma once

#include "platform/Win32.h"

namespace toolkit
{

class CFrame;
class CDragContainer;

// The drop target registered for a frame's window. It wraps what is dragged in a CDragContainer
// (the module's one drag in flight, from enter until leave or drop) and routes the drag to the
// frame at the current mouse position; the point the system hands in is not used. Every call
// answers success; the effect is "move" while a drag is over the frame, "none" for an enter
// without data or frame.
//
// Reference counted the COM way: the count starts at 0, the registration holds the first
// reference, and the release that brings it to 0 deletes the target. Window thread only.
class CDropTarget final : public IDropTarget
{
public:
    explicit CDropTarget(CFrame* frame);
    CDropTarget(const CDropTarget&) = delete;
    CDropTarget& operator=(const CDropTarget&) = delete;

    // Itself, with a reference added, for the drop-target and base interface ids; otherwise
    // E_NOINTERFACE and null. A null out pointer answers E_POINTER.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point,
                                   DWORD* effect) override;

    // The frame lets go of its target before it goes; anything the system still calls on the
    // target afterwards finds no frame and does nothing.
    void forgetFrame() { frame = nullptr; }

private:
    ~CDropTarget();

    // Which of the frame's drag handlers a call reaches.
    enum class Step
    {
        enter,
        move,
        leave,
        drop,
    };
    // Calls the handler with a context of the frame's and the mouse position in frame coordinates.
    void route(Step step, CDragContainer* drag);

    long refCount = 0;
    CFrame* frame;
};

// The drag between its enter and its leave or drop, or null. One per module.
CDragContainer* dragInFlight();

} // namespace toolkit
