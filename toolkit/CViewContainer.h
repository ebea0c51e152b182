#pragma once

#include "toolkit/CColor.h"
#include "toolkit/CView.h"

#include <cstdint>

namespace toolkit
{

class COffscreenContext;

enum : int32_t
{
    kNormalUpdate = 0,    // update redraws the whole container when anything in it is dirty
    kOnlyDirtyUpdate = 1, // update redraws only the dirty children
};

// A view that owns an ordered list of children. Children are drawn first to last (later ones on
// top) and hit-tested last to first (the topmost wins). By default the container draws through
// an offscreen buffer of its own size, kept from attachment or first drawing until it is
// removed, resized or told not to use it.
//
// Coordinates: a child's size is in the container's coordinates, whose origin is the container's
// top-left. To let a child draw in them the container "shifts" a context, adding its origin to
// both offsets, and restores it afterwards.
class CViewContainer : public CView
{
public:
    // `frame` becomes the parent frame; the background takes a reference (null is allowed).
    CViewContainer(const CRect& size, CFrame* frame, CBitmap* background = nullptr);
    // Removes and forgets every child, then lets go of the offscreen buffer.
    ~CViewContainer() override;

    void draw(CDrawContext* context) override;
    // Redraws only `updateRect` (parent coordinates). A dirty child drawn only in part stays
    // dirty so that the rest is drawn later.
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    void mouse(CDrawContext* context, const CPoint& where, int32_t buttons = -1) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(CDrawContext* context, const CPoint& where, int32_t axis, float distance) override;
    // The vertical axis.
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    bool onDrop(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragLeave(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void onDragMove(CDrawContext* context, CDragContainer* drag, const CPoint& where) override;
    void looseFocus(CDrawContext* context = nullptr) override;
    void takeFocus(CDrawContext* context = nullptr) override;
    // Marked itself, or a dirty child is visible inside it.
    bool isDirty() const override;
    void setViewSize(const CRect& rect) override;
    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    CPoint& frameToLocal(CPoint& point) const override;
    CPoint& localToFrame(CPoint& point) const override;
    // 1 for kMsgCheckIfViewContainer, the object itself.
    int32_t notify(CView* sender, const char* message) override;
    // `rect` is in this container's coordinates. A transparent container passes the request up.
    void redrawRect(CDrawContext* context, const CRect& rect) override;
    bool isTypeOf(const char* className) const override;
    void update(CDrawContext* context) override;

    // Takes a reference of the container's own. The creator's reference travels with the view:
    // removeView (view, true) and removeAll (true) drop both. Refuses null, views that already
    // have a parent, and this container's ancestors.
    virtual bool addView(CView* view, const CRect& mouseableArea, bool mouseEnabled = true);
    virtual bool addView(CView* view);
    // Detaches the view and drops the container's reference; withForget also drops the
    // creator's. False, and nothing done, for a view that is not a child.
    virtual bool removeView(CView* view, bool withForget = true);
    virtual void removeAll(bool withForget = true);
    virtual bool isChild(CView* view) const;
    virtual int32_t getNbViews() const;
    // Null outside 0 .. getNbViews() - 1.
    virtual CView* getView(int32_t index) const;

    virtual void setBackgroundColor(const CColor& color);
    virtual CColor getBackgroundColor() const;
    virtual void setBackgroundOffset(const CPoint& offset);
    virtual CPoint getBackgroundOffset() const;
    // Draws the background into `rect` (local coordinates) of a context already shifted or
    // offscreen.
    virtual void drawBackgroundRect(CDrawContext* context, const CRect& rect);

    virtual void setMode(int32_t mode);
    virtual int32_t getMode() const;
    // false also lets go of the offscreen buffer.
    virtual void useOffscreen(bool useIt);

    // The child under the mouse, or null; null without a parent frame.
    virtual CView* getCurrentView() const;
    // The child under `where` (parent coordinates), last to first; deep looks into containers.
    // Null without a parent frame.
    virtual CView* getViewAt(const CPoint& where, bool deep = false) const;
    // Gives the focus to the next child that wants it after `oldFocus` (from the start when
    // null), backwards with reverse, looking into child containers. False when none is left.
    virtual bool advanceNextFocusView(CView* oldFocus, bool reverse = false);

    COffscreenContext* getOffscreenContext() const { return pOffscreenContext; }
    CView* getCurrentDragView() const { return currentDragView; }

protected:
    // One child in the list; it holds one reference on its view for as long as it exists.
    struct ViewNode
    {
        explicit ViewNode(CView* view);
        ~ViewNode();
        ViewNode(const ViewNode&) = delete;
        ViewNode& operator=(const ViewNode&) = delete;

        CView* pView;
        ViewNode* pNext = nullptr;
        ViewNode* pPrevious = nullptr;
    };

    CRect localRect() const { return CRect(0, 0, size.width(), size.height()); }
    CPoint toLocal(const CPoint& where) const;
    void shift(CDrawContext* context) const;
    void unshift(CDrawContext* context) const;
    void makeOffscreenIfWanted();
    void releaseOffscreen();
    // The clip of `context` in this container's coordinates, for a drawing pass into `target`.
    CRect clipForPass(CDrawContext* context, bool offscreen) const;
    // Null views, views with a parent already and this container's ancestors are refused.
    bool canAdopt(const CView* view) const;
    ViewNode* findNode(CView* view) const;
    void unlink(ViewNode* node);
    // Clears the frame's focus and modal views, and the drag view, when they lie in `view`.
    void forgetReferencesInto(CView* view);
    CView* childUnder(const CPoint& local) const;
    void switchDragView(CView* view, CDrawContext* context, CDragContainer* drag,
                        const CPoint& where);

    ViewNode* pFirstView = nullptr;
    ViewNode* pLastView = nullptr;
    int32_t mode = kOnlyDirtyUpdate;
    COffscreenContext* pOffscreenContext = nullptr;
    CColor backgroundColor = kBlackCColor;
    CPoint backgroundOffset;
    bool bDrawInOffscreen = true;
    CView* currentDragView = nullptr;
};

// The view as a container, or null when it is not one.
CViewContainer* asContainer(CView* view);

} // namespace toolkit
