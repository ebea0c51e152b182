// Views, listeners and editors that record what the view tree does to them, shared by the tests
// of views, controls, containers and the frame.
#pragma once

#include "platform/Platform.h"
#include "tests/support/Canvas.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CControl.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/CFrameEditor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace toolkit
{

inline void PrintTo(const CRect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

inline void PrintTo(const CPoint& p, std::ostream* os)
{
    *os << "(" << p.h << ", " << p.v << ")";
}

} // namespace toolkit

namespace toolkit::testkit
{

// Live instances of the counted classes below; every test starts and ends at zero.
struct Census
{
    static int& views()
    {
        static int count = 0;
        return count;
    }
    static int& bitmaps()
    {
        static int count = 0;
        return count;
    }
};

// What happened, in order, across every recording view of a test.
inline std::vector<std::string>& journal()
{
    static std::vector<std::string> entries;
    return entries;
}

// A view that fills its whole rectangle with one colour and writes every call into the journal.
class Patch : public CView
{
public:
    Patch(const std::string& name, const CRect& size, CColor colour = kRedCColor)
        : CView(size), name(name), colour(colour)
    {
        ++Census::views();
    }
    ~Patch() override { --Census::views(); }

    void draw(CDrawContext* context) override
    {
        journal().push_back(name + ".draw");
        context->setFillColor(colour);
        context->drawRect(size, kDrawFilled);
        setDirty(false);
    }
    void mouse(CDrawContext*, const CPoint& where, int32_t buttons) override
    {
        journal().push_back(name + ".mouse " + std::to_string(where.h) + "," +
                            std::to_string(where.v) + " " + std::to_string(buttons));
    }
    int32_t onKeyDown(VstKeyCode& key) override
    {
        journal().push_back(name + ".keyDown");
        return key.character == keyAnswer ? 1 : -1;
    }
    int32_t onKeyUp(VstKeyCode&) override
    {
        journal().push_back(name + ".keyUp");
        return -1;
    }
    using CView::onWheel;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override
    {
        journal().push_back(name + ".wheel " + std::to_string(where.h) + "," +
                            std::to_string(where.v) + " " + std::to_string(distance) +
                            (context ? "" : " no context"));
        return true;
    }
    bool onDrop(CDrawContext*, CDragContainer*, const CPoint& where) override
    {
        journal().push_back(name + ".drop " + std::to_string(where.h) + "," +
                            std::to_string(where.v));
        return acceptsDrop;
    }
    void onDragEnter(CDrawContext*, CDragContainer*, const CPoint&) override
    {
        journal().push_back(name + ".enter");
    }
    void onDragLeave(CDrawContext*, CDragContainer*, const CPoint&) override
    {
        journal().push_back(name + ".leave");
    }
    void onDragMove(CDrawContext*, CDragContainer*, const CPoint&) override
    {
        journal().push_back(name + ".move");
    }
    void looseFocus(CDrawContext*) override { journal().push_back(name + ".looseFocus"); }
    void takeFocus(CDrawContext*) override { journal().push_back(name + ".takeFocus"); }
    bool removed(CView* parent) override
    {
        journal().push_back(name + ".removed");
        return CView::removed(parent);
    }
    bool attached(CView* parent) override
    {
        journal().push_back(name + ".attached");
        return CView::attached(parent);
    }

    void setColour(CColor c)
    {
        colour = c;
        setDirty(true);
    }

    std::string name;
    CColor colour;
    int32_t keyAnswer = -2; // the character this view uses
    bool acceptsDrop = false;
};

// A control whose mouse handler is the default-value click, as knobs use it.
class Dial : public CControl
{
public:
    Dial(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background = nullptr)
        : CControl(size, listener, tag, background)
    {
        ++Census::views();
    }
    ~Dial() override { --Census::views(); }

    void draw(CDrawContext* context) override
    {
        journal().push_back("dial.draw");
        CView::draw(context);
    }
    void mouse(CDrawContext* context, const CPoint&, int32_t buttons) override
    {
        checkDefaultValue(context, buttons);
    }
};

// A container that is counted like the views.
class Panel : public CViewContainer
{
public:
    Panel(const CRect& size, CFrame* frame, CBitmap* background = nullptr)
        : CViewContainer(size, frame, background)
    {
        ++Census::views();
    }
    ~Panel() override { --Census::views(); }
};

// A bitmap with pixels made by the test, counted.
class SolidBitmap : public CBitmap
{
public:
    SolidBitmap(int w, int h, uint32_t rgb) : CBitmap(0)
    {
        const std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, rgb);
        handle = CreateBitmap(w, h, 1, 32, pixels.data());
        width = w;
        height = h;
        ++Census::bitmaps();
    }
    ~SolidBitmap() override { --Census::bitmaps(); }
};

class RecordingListener : public CControlListener
{
public:
    void valueChanged(CDrawContext*, CControl* control) override
    {
        changes.push_back(control->getValue());
    }
    std::vector<float> changes;
};

class RecordingEditor : public CFrameEditor
{
public:
    void doIdleStuff() override { journal().push_back("editor.doIdleStuff"); }
    uint32_t getTicks() override { return 4242; }
    int32_t getKnobMode() override { return 2; }
    bool beginEdit(int32_t index) override
    {
        journal().push_back("editor.beginEdit " + std::to_string(index));
        return true;
    }
    bool endEdit(int32_t index) override
    {
        journal().push_back("editor.endEdit " + std::to_string(index));
        return true;
    }
};

// Every test of the view tree ends with no counted object alive and every GDI object it made
// deleted again.
class TreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        journal().clear();
        gdiAlive = qev::platform::gdiCounts().alive;
    }
    void TearDown() override
    {
        EXPECT_EQ(Census::views(), 0) << "views left alive";
        EXPECT_EQ(Census::bitmaps(), 0) << "bitmaps left alive";
        EXPECT_EQ(qev::platform::gdiCounts().alive, gdiAlive) << "GDI objects left alive";
    }
    long gdiAlive = 0;
};

// A windowless frame of 60 x 50 that the test's views go into, destroyed at the end.
class FrameTreeTest : public TreeTest
{
protected:
    void SetUp() override
    {
        TreeTest::SetUp();
        frame = new CFrame(CRect(0, 0, 60, 50), nullptr, &editor);
    }
    void TearDown() override
    {
        if (frame)
            frame->forget();
        TreeTest::TearDown();
    }
    // Adds with the creator's reference handed over to the container.
    template <typename V> V* add(CViewContainer* to, V* view)
    {
        EXPECT_TRUE(to->addView(view));
        return view;
    }

    RecordingEditor editor;
    CFrame* frame = nullptr;
};

inline VstKeyCode key(int32_t character, unsigned char virt = 0, unsigned char modifier = 0)
{
    return VstKeyCode{character, virt, modifier};
}

} // namespace toolkit::testkit

namespace toolkit::testkit
{

// What the frame has painted so far: the pixels of its windowless surface.
inline qev::test::Image surfaceOf(CFrame* frame)
{
    CDrawContext* context = frame->createDrawContext();
    qev::test::Image image =
        qev::test::imageOf(qev::platform::selectedBitmap(context->getSystemContext()));
    context->forget();
    return image;
}

inline void drawWhole(CFrame* frame)
{
    CDrawContext* context = frame->createDrawContext();
    frame->draw(context);
    context->forget();
}

inline uint32_t rgbOf(CColor c)
{
    return qev::test::pixel(c.red, c.green, c.blue);
}

// Paints `rect` of an expected image, cut to the image.
inline void paint(qev::test::Image& image, const CRect& rect, CColor colour)
{
    for (int y = std::max(0, rect.top); y < std::min(image.height, rect.bottom); ++y)
        for (int x = std::max(0, rect.left); x < std::min(image.width, rect.right); ++x)
            image.at(x, y) = rgbOf(colour);
}

} // namespace toolkit::testkit
