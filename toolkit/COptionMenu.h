#pragma once

#include "toolkit/CParamDisplay.h"

#include <atomic>
#include <cstdint>

namespace toolkit
{

class COptionMenuScheme;
class CPopupMenuBuilder;

// Style bits of the option menu, beside those of the value display.
enum : int32_t
{
    kToggleCheckStyle = 0x1,    // choosing an entry toggles its own check mark
    kPopUpAtTopStyle = 0x200,   // the pop-up opens at the top edge instead of below
    kCheckCurrentStyle = 0x400, // the current entry shows a check mark
};

// A value display that shows the text of its current entry and, when clicked, pops up a menu of
// its entries; the chosen entry's index becomes its value and is reported to the listener.
//
// Entry texts carry their kind in a prefix: exactly "-" is a separator, "-M" a sub-menu (the rest
// is its title), "-G" a greyed entry and "-T" a disabled title (the rest is shown), anything else
// an ordinary entry. At most 1024 entries of 255 characters each. Every operation that takes an
// index refuses (false) one below 0 or at or beyond the number of entries.
//
// Sub-menus and the pressed picture are held by reference. So is the scheme: the menu takes a
// reference in setScheme and gives it back when the scheme is replaced and when the menu goes,
// so that a scheme lives exactly as long as the last menu using it; whoever made it forgets its
// own reference once it is handed over.
class COptionMenu : public CParamDisplay
{
public:
    COptionMenu(const CRect& size, CControlListener* listener, int32_t tag,
                CBitmap* background = nullptr, CBitmap* pressedPicture = nullptr,
                int32_t style = 0);
    // Removes every entry, letting go of the sub-menus, the pressed picture and the scheme.
    ~COptionMenu() override;

    // The current entry's text without its number prefix; no text without a current entry.
    void draw(CDrawContext* context) override;
    // A left or right click (the pressed picture shown meanwhile) opens the pop-up inside a
    // gesture. Needs a frame and a context.
    void mouse(CDrawContext* context, const CPoint& where, int32_t buttons = -1) override;
    void looseFocus(CDrawContext* context = nullptr) override;
    // Opens the pop-up below the menu (at its top with kPopUpAtTopStyle) and applies the choice:
    // the owning (sub-)menu takes the entry's index as its value and this menu's listener is
    // told once. A dismissed pop-up changes nothing. The focus view is cleared and the gesture
    // ended afterwards.
    void takeFocus(CDrawContext* context = nullptr) override;
    bool isTypeOf(const char* className) const override;
    // Selects the entry the value truncates to (toward zero) and stores the value. A value whose
    // entry does not exist (NaN and infinities included) changes nothing. Safe to call from
    // another thread while the window thread draws, except with kToggleCheckStyle, whose marks
    // belong to the window thread.
    void setValue(float value) override;
    // Dirty as a control is, and also when the current entry is not the one last drawn.
    bool isDirty() const override;

    // Appends the text (null: an empty entry), or inserts it before `index` when that is 0 or
    // more, keeping the same entry current. With number prefixes the text is numbered by its
    // position. The first entry becomes current. False at 1024 entries or without memory.
    virtual bool addEntry(const char* text, int32_t index = -1);
    // Appends an entry that opens `subMenu` (which takes a reference), titled `title`. Refuses
    // null arguments and a sub-menu that is this menu or holds it.
    virtual bool addEntry(COptionMenu* subMenu, const char* title);
    // The current index, or with countSeparator false the number of items before it that are
    // neither separators nor titles; -1 without a current entry. `text` (256 characters, may be
    // null) receives the entry's whole text.
    virtual int32_t getCurrent(char* text = nullptr, bool countSeparator = true) const;
    // Makes an entry current without changing the value: by index (a separator is refused), or
    // with countSeparator false the index-th item that is neither separator nor title (the last
    // entry when there are fewer).
    virtual bool setCurrent(int32_t index, bool countSeparator = true);
    // Copies the whole entry text into `text` (256 characters) when it is not null.
    virtual bool getEntry(int32_t index, char* text) const;
    // Replaces the text, cut to 255 characters; a null text changes nothing (true).
    virtual bool setEntry(int32_t index, const char* text);
    // Later entries move down; the current index moves with them (to -1 when none is left). A
    // sub-menu entry takes its sub-menu with it.
    virtual bool removeEntry(int32_t index);
    virtual bool removeAllEntry();
    virtual int32_t getNbEntries() const;
    // The first entry with exactly this text, -1 for none or a null text.
    virtual int32_t getIndex(const char* text) const;
    virtual bool checkEntry(int32_t index, bool state);
    // Clears every mark and sets this one.
    virtual bool checkEntryAlone(int32_t index);
    virtual bool isCheckEntry(int32_t index) const;
    // Items per column of the pop-up; 0 or less keeps one column.
    virtual void setNbItemsPerColumn(int32_t count);
    virtual int32_t getNbItemsPerColumn() const;
    virtual COptionMenuScheme* getScheme() const;
    // 0 (none) or 2, 3, 4: entries are numbered "%1d ", "%02d ", "%03d " from 1, and that many
    // characters are skipped when the current entry is shown.
    virtual void setPrefixNumbers(int32_t count);

    // Takes a reference on the new scheme and gives back the old one's (null is allowed).
    void setScheme(COptionMenuScheme* scheme);

    // Builds the native menu tree of the pop-up through `builder`: this menu's entries get the
    // command numbers nextCommand + entry index, then each sub-menu, in order and depth first,
    // the next block of its own size. Answers this menu's native menu (null if none was made).
    void* buildPopup(CPopupMenuBuilder& builder, int32_t& nextCommand);
    // Destroys the tree buildPopup made and forgets its native menus.
    void destroyPopup(CPopupMenuBuilder& builder);
    // The menu, this one or a sub-menu, that owns `command` in the numbering of buildPopup
    // started at 0, with the entry index in it; null for a number nobody owns.
    COptionMenu* menuForCommand(int32_t command, int32_t& index);

    int32_t getLastResult() const { return lastResult; }
    COptionMenu* getLastMenu() const { return lastMenu; }
    int32_t getLastButton() const { return lastButton; }
    int32_t getNbSubMenus() const { return nbSubMenus; }
    void* getPlatformControl() const { return platformControl; }

protected:
    // The window system's step: shows the pop-up built from the entries at `screenPoint` (the
    // top-left of the menu, screen pixels) on the frame's window, runs its modal loop, and
    // answers the chosen command number, or -1 when the pop-up was dismissed or could not be
    // shown. Everything else of the pop-up is done around it, free of the window system.
    virtual int32_t popUp(const CPoint& screenPoint);
    // Where the pop-up opens: the menu's bottom-left (top-left with kPopUpAtTopStyle) on the
    // screen, from the context's screen offset or, without one, the frame window's position.
    CPoint popUpPosition(CDrawContext* context);
    // The shown part of entry `index`: without its number prefix; null for no entry.
    const char* shownText(int32_t index) const;

    void* platformControl = nullptr;
    char** entry = nullptr;
    COptionMenu** submenuEntry = nullptr;
    bool* check = nullptr;
    int32_t nbEntries = 0;
    int32_t nbSubMenus = 0;
    // Stored by setValue from whichever thread sets the value, read by the window thread.
    std::atomic<int32_t> currentIndex{-1};
    CBitmap* bgWhenClick;
    int32_t lastButton = kRButton;
    int32_t nbItemsPerColumn = -1;
    int32_t nbAllocated = 0;
    int32_t nbSubMenuAllocated = 0;
    int32_t lastResult = -1;
    int32_t prefixNumbers = 0;
    COptionMenu* lastMenu = nullptr;
    COptionMenuScheme* scheme = nullptr;
    // The entry last drawn; -1 for none.
    int32_t drawnIndex = -1;

private:
    bool makeRoomForEntry();
    bool makeRoomForSubMenu();
    // Fills a new entry buffer: `text` cut to 255 characters, numbered `number` with prefixes.
    void formatEntry(char* buffer, const char* prefix, const char* text, int32_t number) const;
    bool contains(const COptionMenu* menu) const;
    // How many command numbers this menu and its sub-menus take.
    int32_t commandCount() const;
    COptionMenu* findOwner(int32_t command, int32_t& base, int32_t& index);
    void forgetPopupHandles();
    void applyChoice(CDrawContext* context, int32_t command);
};

} // namespace toolkit
