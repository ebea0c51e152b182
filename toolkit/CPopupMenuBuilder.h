#pragma once

#include <cstdint>

namespace toolkit
{

// One item of an option menu's pop-up, as the window system is asked to append it.
struct CPopupItem
{
    enum Kind : int32_t
    {
        kSeparator,
        kCommand,
        kSubMenu,
    };

    Kind kind = kCommand;
    // kCommand: the number the window system answers when this item is chosen; -1 otherwise.
    int32_t command = -1;
    // The text shown, without the entry's kind prefix ("-" for a separator). It is also the item
    // data of an owner-drawn item, which the window procedure hands to the scheme.
    const char* text = nullptr;
    // kSubMenu: the native menu built for the sub-menu.
    void* subMenu = nullptr;
    bool ownerDrawn = false; // measured and drawn through the option menu's scheme
    bool checked = false;
    bool greyed = false;
    bool disabled = false;
    bool newColumn = false; // the item starts a new column
};

// Makes the native menus of a pop-up. The option menu walks its entries and sub-menus and asks
// for one menu at a time, building a sub-menu before the item that opens it; the window
// system's builder turns each call into the matching native call.
class CPopupMenuBuilder
{
public:
    virtual ~CPopupMenuBuilder() = default;

    // A new, empty pop-up menu; null when none can be made.
    virtual void* createMenu() = 0;
    virtual void appendItem(void* menu, const CPopupItem& item) = 0;
    // Destroys the menu together with every sub-menu appended to it.
    virtual void destroyMenu(void* menu) = 0;
};

} // namespace toolkit
