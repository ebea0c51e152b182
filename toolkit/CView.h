#pragma once

#include "plugin/VstInterface.h"
#include "toolkit/Buttons.h"
#include "toolkit/CPoint.h"
#include "toolkit/CRect.h"
#include "toolkit/CReferenceCounter.h"

#include <cstdint>

namespace toolkit
{

class CBitmap;
class CDragContainer;
class CDrawContext;
class CFrame;
class CFrameEditor;

// Asks a view's parent whether it is a container. Containers recognise this very object, not its
// text: a different string that reads the same is not the message.
extern const char kMsgCheckIfViewContainer[];

enum CMouseWheelAxis : int32_t
{
    kMouseWheelAxisX = 0,
    kMouseWheelAxisY = 1,
};

// A rectangle in the view tree that draws itself and may take mouse, key, wheel and drag input.
// Created with one reference for its creator; a container that holds it takes one of its own.
// All coordinates are in the parent container's system. Redrawing is driven by the dirty flag:
// whatever changes a view marks it dirty, and the frame redraws dirty views at idle time.
class CView : public CReferenceCounter
{
public:
    explicit CView(const CRect& size);
    // Lets go of the background picture.
    ~CView() override;

    // Draws the background picture over the view, then the view is clean.
    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    // Whether the update rectangle touches the view (touching edges count).
    virtual bool checkUpdate(const CRect& updateRect) const;

    // `where` is in the parent's coordinates; buttons of -1 mean "ask the context".
    virtual void mouse(CDrawContext* context, const CPoint& where, int32_t buttons = -1);

    // Takes a reference on the new picture (null is allowed) and marks the view dirty.
    virtual void setBackground(CBitmap* background);
    virtual CBitmap* getBackground() const;

    // Key handlers answer -1 for a key they do not use.
    virtual int32_t onKeyDown(VstKeyCode& keyCode);
    virtual int32_t onKeyUp(VstKeyCode& keyCode);
    // The axis form hands over to the plain form; distance is in notches (one notch is 1.0).
    virtual bool onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance);
    virtual bool onWheel(CDrawContext* context, const CPoint& where, float distance);
    virtual bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where);
    virtual void looseFocus(CDrawContext* context = nullptr);
    virtual void takeFocus(CDrawContext* context = nullptr);

    virtual bool isDirty() const;
    virtual void setDirty(bool dirty = true);

    virtual void setMouseEnabled(bool enabled);
    virtual bool getMouseEnabled() const;
    virtual void setMouseableArea(const CRect& area);
    virtual CRect& getMouseableArea(CRect& area) const;
    // Edges are inclusive: a point on the right or bottom edge of the mouseable area hits.
    virtual bool hitTest(const CPoint& where, int32_t buttons = -1);

    virtual void setTransparency(bool transparent);
    virtual bool getTransparency() const;

    // Moves or resizes the view and marks it dirty; the mouseable area stays where it was.
    virtual void setViewSize(const CRect& rect);
    virtual CRect& getViewSize(CRect& rect) const;

    // Called by the container that detaches or attaches the view.
    virtual bool removed(CView* parent);
    virtual bool attached(CView* parent);

    // The mouse position in this view's parent coordinates. Without a context: nothing.
    virtual void getMouseLocation(CDrawContext* context, CPoint& point);
    // Converts between the frame's coordinates and this view's parent coordinates.
    virtual CPoint& frameToLocal(CPoint& point) const;
    virtual CPoint& localToFrame(CPoint& point) const;

    // The frame's editor; null without a frame.
    virtual CFrameEditor* getEditor() const;
    // 0: the message is not understood.
    virtual int32_t notify(CView* sender, const char* message);

    // Redraws `rect` (parent coordinates) through the parent, or the frame without one.
    virtual void redrawRect(CDrawContext* context, const CRect& rect);

    virtual bool getWantsFocus() const;
    virtual void setWantsFocus(bool wantsFocus);

    // True for this class's name and for the name of any class it derives from.
    virtual bool isTypeOf(const char* className) const;

    // Redraws the view now if it is dirty: through the parent with a context, or drawn by the
    // frame with a context of its own without one. The view is clean afterwards.
    virtual void update(CDrawContext* context);

    // Set by the container that holds the view; null while detached.
    CFrame* getFrame() const { return pParentFrame; }
    CView* getParentView() const { return pParentView; }
    void setParentFrame(CFrame* frame) { pParentFrame = frame; }
    void setParentView(CView* parent) { pParentView = parent; }

protected:
    // Draws the background picture over `rect` from `offset`, honouring the transparency flag.
    void drawBackgroundPicture(CDrawContext* context, const CRect& rect,
                               const CPoint& offset) const;

    CRect size;
    CRect mouseableArea;
    CFrame* pParentFrame = nullptr;
    CView* pParentView = nullptr;
    bool bDirty = false;
    bool bMouseEnabled = true;
    bool bTransparencyEnabled = false;
    bool bWantsFocus = false;
    CBitmap* pBackground = nullptr;
};

} // namespace toolkit
