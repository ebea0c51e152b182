#pragma once

#include "toolkit/CPopupMenuBuilder.h"

namespace toolkit
{

// Makes an option menu's pop-up out of the window system's own menus: each menu is a pop-up menu
// (CreatePopupMenu), each item one AppendMenuA with the matching flags. An owner-drawn item
// carries its text as item data, for the frame window's procedure to measure and draw it. The
// handles it answers are HMENUs, for TrackPopupMenu.
class CNativeMenuBuilder : public CPopupMenuBuilder
{
public:
    void* createMenu() override;
    // A command whose number does not fit the 16 bits WM_COMMAND carries is appended greyed: it
    // could only ever be reported as another entry's choice.
    void appendItem(void* menu, const CPopupItem& item) override;
    void destroyMenu(void* menu) override;
};

} // namespace toolkit
