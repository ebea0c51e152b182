#include "toolkit/COptionMenu.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/CFrameEditor.h"
#include "toolkit/CNativeMenuBuilder.h"
#include "toolkit/COptionMenuScheme.h"
#include "toolkit/CPopupMenuBuilder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace toolkit
{
namespace
{

constexpr int32_t kMaxEntries = 1024;
constexpr int32_t kEntryGrowth = 32;
constexpr int32_t kSubMenuGrowth = 10;
// Column breaks are left out of pop-ups this long.
constexpr int32_t kMaxEntriesForColumns = 160;

bool isSeparator(const char* text)
{
    return std::strcmp(text, "-") == 0;
}

bool hasPrefix(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Separators and titles are not choices: counting without separators skips both.
bool isChoice(const char* text)
{
    return !isSeparator(text) && !hasPrefix(text, "-T");
}

// A new array of `capacity` zeroed elements holding the first `used` of `array`.
template <typename T> bool grow(T*& array, int32_t used, int32_t capacity)
{
    T* grown = new (std::nothrow) T[capacity]();
    if (!grown)
        return false;
    std::copy(array, array + used, grown);
    delete[] array;
    array = grown;
    return true;
}

} // namespace

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, int32_t tag,
                         CBitmap* background, CBitmap* pressedPicture, int32_t style)
    : CParamDisplay(size, background, style), bgWhenClick(pressedPicture)
{
    this->listener = listener;
    this->tag = tag;
    if (bgWhenClick)
        bgWhenClick->remember();
}

COptionMenu::~COptionMenu()
{
    removeAllEntry();
    if (bgWhenClick)
        bgWhenClick->forget();
    setScheme(nullptr);
}

bool COptionMenu::isTypeOf(const char* className) const
{
    if (className && std::strcmp(className, "COptionMenu") == 0)
        return true;
    return CParamDisplay::isTypeOf(className);
}

void COptionMenu::setScheme(COptionMenuScheme* newScheme)
{
    if (newScheme)
        newScheme->remember();
    if (scheme)
        scheme->forget();
    scheme = newScheme;
}

COptionMenuScheme* COptionMenu::getScheme() const
{
    return scheme;
}

void COptionMenu::setNbItemsPerColumn(int32_t count)
{
    nbItemsPerColumn = count;
}

int32_t COptionMenu::getNbItemsPerColumn() const
{
    return nbItemsPerColumn;
}

void COptionMenu::setPrefixNumbers(int32_t count)
{
    prefixNumbers = count;
}

int32_t COptionMenu::getNbEntries() const
{
    return nbEntries;
}

// ---- Entries ---------------------------------------------------------------------------------

bool COptionMenu::makeRoomForEntry()
{
    if (nbEntries < nbAllocated)
        return true;
    const int32_t capacity = nbAllocated + kEntryGrowth;
    if (!grow(entry, nbEntries, capacity) || !grow(check, nbEntries, capacity))
        return false;
    nbAllocated = capacity;
    return true;
}

bool COptionMenu::makeRoomForSubMenu()
{
    if (nbSubMenus < nbSubMenuAllocated)
        return true;
    const int32_t capacity = nbSubMenuAllocated + kSubMenuGrowth;
    if (!grow(submenuEntry, nbSubMenus, capacity))
        return false;
    nbSubMenuAllocated = capacity;
    return true;
}

void COptionMenu::formatEntry(char* buffer, const char* prefix, const char* text,
                              int32_t number) const
{
    const char* format = prefixNumbers == 2   ? "%s%1d %s"
                         : prefixNumbers == 3 ? "%s%02d %s"
                         : prefixNumbers == 4 ? "%s%03d %s"
                                              : nullptr;
    if (format)
        std::snprintf(buffer, kTextSize, format, prefix, static_cast<int>(number), text);
    else
        std::snprintf(buffer, kTextSize, "%s%s", prefix, text);
}

bool COptionMenu::addEntry(const char* text, int32_t index)
{
    if (nbEntries >= kMaxEntries || !makeRoomForEntry())
        return false;
    char* buffer = new (std::nothrow) char[kTextSize]();
    if (!buffer)
        return false;
    int32_t position = nbEntries;
    if (index >= 0)
    {
        position = std::min(index, nbEntries);
        // Marks travel with their entries: a mark belongs to the entry it was set on.
        std::copy_backward(entry + position, entry + nbEntries, entry + nbEntries + 1);
        std::copy_backward(check + position, check + nbEntries, check + nbEntries + 1);
        if (currentIndex.load(std::memory_order_relaxed) >= index)
            currentIndex.fetch_add(1, std::memory_order_relaxed);
    }
    entry[position] = buffer;
    check[position] = false;
    if (text)
        formatEntry(buffer, "", text, position + 1);
    ++nbEntries;
    if (currentIndex.load(std::memory_order_relaxed) < 0)
        currentIndex.store(0, std::memory_order_relaxed);
    return true;
}

bool COptionMenu::contains(const COptionMenu* menu) const
{
    for (int32_t i = 0; i < nbSubMenus; ++i)
        if (submenuEntry[i] == menu || submenuEntry[i]->contains(menu))
            return true;
    return false;
}

bool COptionMenu::addEntry(COptionMenu* subMenu, const char* title)
{
    // A menu inside itself would be built, numbered and released without end.
    if (nbEntries >= kMaxEntries || !subMenu || !title || subMenu == this ||
        subMenu->contains(this))
        return false;
    if (!makeRoomForEntry() || !makeRoomForSubMenu())
        return false;
    char* buffer = new (std::nothrow) char[kTextSize]();
    if (!buffer)
        return false;
    formatEntry(buffer, "-M", title, nbEntries + 1);
    entry[nbEntries] = buffer;
    check[nbEntries] = false;
    submenuEntry[nbSubMenus++] = subMenu;
    subMenu->remember();
    ++nbEntries;
    if (currentIndex.load(std::memory_order_relaxed) < 0)
        currentIndex.store(0, std::memory_order_relaxed);
    return true;
}

int32_t COptionMenu::getCurrent(char* text, bool countSeparator) const
{
    const int32_t current = currentIndex.load(std::memory_order_relaxed);
    if (current < 0 || current >= nbEntries)
        return -1;
    if (text)
        std::memcpy(text, entry[current], kTextSize);
    if (countSeparator)
        return current;
    return static_cast<int32_t>(std::count_if(entry, entry + current, isChoice));
}

bool COptionMenu::setCurrent(int32_t index, bool countSeparator)
{
    if (index < 0 || index >= nbEntries)
        return false;
    int32_t chosen = index;
    if (countSeparator)
    {
        if (isSeparator(entry[index]))
            return false;
    }
    else
    {
        int32_t counted = -1;
        for (chosen = 0; chosen < nbEntries; ++chosen)
            if (isChoice(entry[chosen]) && ++counted == index)
                break;
        chosen = std::min(chosen, nbEntries - 1);
    }
    currentIndex.store(chosen, std::memory_order_relaxed);
    if (style & kToggleCheckStyle)
        check[chosen] = !check[chosen];
    setDirty(true);
    return true;
}

void COptionMenu::setValue(float newValue)
{
    // Checked as a float, before any conversion: whatever a host or a saved state sends.
    if (!(newValue > -1.0f && newValue < static_cast<float>(nbEntries)))
        return;
    const int32_t index = static_cast<int32_t>(newValue);
    if (index >= nbEntries) // -0.5 on a menu without entries
        return;
    currentIndex.store(index, std::memory_order_relaxed);
    if (style & kToggleCheckStyle)
        check[index] = !check[index];
    CParamDisplay::setValue(newValue);
}

bool COptionMenu::getEntry(int32_t index, char* text) const
{
    if (index < 0 || index >= nbEntries)
        return false;
    if (text)
        std::memcpy(text, entry[index], kTextSize);
    return true;
}

bool COptionMenu::setEntry(int32_t index, const char* text)
{
    if (index < 0 || index >= nbEntries)
        return false;
    if (!text)
        return true;
    std::snprintf(entry[index], kTextSize, "%s", text);
    if (index == currentIndex.load(std::memory_order_relaxed))
        setDirty(true);
    return true;
}

bool COptionMenu::removeEntry(int32_t index)
{
    if (index < 0 || index >= nbEntries)
        return false;
    if (hasPrefix(entry[index], "-M"))
    {
        // Sub-menus pair with the sub-menu entries in order: this entry's is the k-th.
        const auto k = static_cast<int32_t>(std::count_if(
            entry, entry + index, [](const char* text) { return hasPrefix(text, "-M"); }));
        if (k < nbSubMenus)
        {
            submenuEntry[k]->forget();
            std::copy(submenuEntry + k + 1, submenuEntry + nbSubMenus, submenuEntry + k);
            submenuEntry[--nbSubMenus] = nullptr;
        }
    }
    delete[] entry[index];
    std::copy(entry + index + 1, entry + nbEntries, entry + index);
    std::copy(check + index + 1, check + nbEntries, check + index);
    --nbEntries;
    entry[nbEntries] = nullptr;
    check[nbEntries] = false;
    const int32_t current = currentIndex.load(std::memory_order_relaxed);
    if (nbEntries == 0)
        currentIndex.store(-1, std::memory_order_relaxed);
    else if (current >= index)
        currentIndex.store(current - 1, std::memory_order_relaxed);
    setDirty(true);
    return true;
}

bool COptionMenu::removeAllEntry()
{
    for (int32_t i = 0; i < nbEntries; ++i)
        delete[] entry[i];
    for (int32_t i = 0; i < nbSubMenus; ++i)
        submenuEntry[i]->forget();
    delete[] entry;
    delete[] check;
    delete[] submenuEntry;
    entry = nullptr;
    check = nullptr;
    submenuEntry = nullptr;
    nbEntries = 0;
    nbSubMenus = 0;
    nbAllocated = 0;
    nbSubMenuAllocated = 0;
    currentIndex.store(-1, std::memory_order_relaxed);
    setDirty(true);
    return true;
}

int32_t COptionMenu::getIndex(const char* text) const
{
    if (!text)
        return -1;
    for (int32_t i = 0; i < nbEntries; ++i)
        if (std::strcmp(entry[i], text) == 0)
            return i;
    return -1;
}

bool COptionMenu::checkEntry(int32_t index, bool state)
{
    if (index < 0 || index >= nbEntries)
        return false;
    check[index] = state;
    return true;
}

bool COptionMenu::checkEntryAlone(int32_t index)
{
    if (index < 0 || index >= nbEntries)
        return false;
    std::fill(check, check + nbEntries, false);
    check[index] = true;
    return true;
}

bool COptionMenu::isCheckEntry(int32_t index) const
{
    return index >= 0 && index < nbEntries && check[index];
}

// ---- Drawing ---------------------------------------------------------------------------------

const char* COptionMenu::shownText(int32_t index) const
{
    if (index < 0 || index >= nbEntries)
        return nullptr;
    const char* text = entry[index];
    const size_t skip = prefixNumbers > 0 ? static_cast<size_t>(prefixNumbers) : 0;
    return text + std::min(skip, std::strlen(text));
}

void COptionMenu::draw(CDrawContext* context)
{
    const float shownValue = getValue();
    const int32_t shown = currentIndex.load(std::memory_order_relaxed);
    drawText(context, shownText(shown));
    // What another thread stored while drawing is still to be drawn.
    drawnIndex = shown;
    oldValue = shownValue;
}

bool COptionMenu::isDirty() const
{
    return CParamDisplay::isDirty() || currentIndex.load(std::memory_order_relaxed) != drawnIndex;
}

// ---- The pop-up ------------------------------------------------------------------------------

void COptionMenu::mouse(CDrawContext* context, const CPoint&, int32_t buttons)
{
    if (!bMouseEnabled || !pParentFrame || !context)
        return;
    lastButton =
        buttons == kButtonsNotGiven ? static_cast<int32_t>(context->getMouseButtons()) : buttons;
    if (listenerTakesClick(context, buttons))
        return;
    if (!(lastButton & (kLButton | kRButton | kExtraModifier)))
        return;
    if (bgWhenClick)
        drawText(context, shownText(currentIndex.load(std::memory_order_relaxed)), bgWhenClick);
    beginEdit();
    takeFocus(context);
}

void COptionMenu::looseFocus(CDrawContext*)
{
    platformControl = nullptr;
}

void COptionMenu::takeFocus(CDrawContext* context)
{
    if (!pParentFrame)
        return;
    lastResult = -1;
    lastMenu = nullptr;
    // While the pop-up is open the host gets its idle time and may close the editor, taking
    // the menu out of its frame: the menu keeps itself alive, drops the choice and only ends the
    // gesture, through the editor, which outlives its frames.
    CFrameEditor* editor = getEditor();
    remember();
    const int32_t command = popUp(popUpPosition(context));
    if (pParentFrame)
    {
        applyChoice(context, command);
        pParentFrame->setFocusView(nullptr);
        endEdit();
    }
    else if (editor)
        editor->endEdit(tag);
    forget();
}

CPoint COptionMenu::popUpPosition(CDrawContext* context)
{
    CPoint origin;
    RECT window{};
    if (context)
        origin = context->offsetScreen;
    else if (pParentFrame && pParentFrame->getWindow() &&
             GetWindowRect(pParentFrame->getWindow(), &window))
        origin = CPoint(window.left, window.top);
    for (CView* up = pParentView; up; up = up->getParentView())
    {
        if (up->notify(this, kMsgCheckIfViewContainer) != 1)
            continue;
        CRect where;
        up->getViewSize(where);
        origin.offset(where.left, where.top);
    }
    const int32_t edge = (style & kPopUpAtTopStyle) ? size.top : size.bottom;
    return CPoint(origin.h + size.left, origin.v + edge);
}

int32_t COptionMenu::popUp(const CPoint& screenPoint)
{
    HWND window = pParentFrame ? pParentFrame->getWindow() : nullptr;
    if (!window)
        return -1;
    CNativeMenuBuilder builder;
    int32_t nextCommand = 0;
    auto* menu = static_cast<HMENU>(buildPopup(builder, nextCommand));
    int32_t command = -1;
    const UINT tracking = (lastButton & kRButton) ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON;
    if (menu && TrackPopupMenu(menu, tracking, screenPoint.h, screenPoint.v, 0, window, nullptr))
    {
        // The choice waits in the queue as the command the menu posted to the frame's window.
        MSG message{};
        if (PeekMessageA(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) &&
            HIWORD(message.wParam) == 0)
            command = LOWORD(message.wParam);
    }
    destroyPopup(builder);
    return command;
}

void COptionMenu::applyChoice(CDrawContext* context, int32_t command)
{
    const bool chosen = command >= 0;
    if (!chosen && !bgWhenClick)
        return;
    if (bgWhenClick)
        setDirty(true); // the pressed picture is drawn over at the next idle
    if (!chosen)
        return;
    lastResult = command;
    int32_t index = -1;
    COptionMenu* owner = menuForCommand(command, index);
    if (!owner)
        return;
    lastMenu = owner;
    owner->setValue(static_cast<float>(index));
    if (!listener)
        return;
    CDrawContext* own = context ? nullptr : pParentFrame->createDrawContext();
    listener->valueChanged(context ? context : own, owner);
    if (own)
        own->forget();
}

int32_t COptionMenu::commandCount() const
{
    int32_t count = nbEntries;
    for (int32_t i = 0; i < nbSubMenus; ++i)
        count += submenuEntry[i]->commandCount();
    return count;
}

COptionMenu* COptionMenu::findOwner(int32_t command, int32_t& base, int32_t& index)
{
    if (command >= base && command < base + nbEntries)
    {
        index = command - base;
        return this;
    }
    base += nbEntries;
    for (int32_t i = 0; i < nbSubMenus; ++i)
        if (COptionMenu* owner = submenuEntry[i]->findOwner(command, base, index))
            return owner;
    return nullptr;
}

COptionMenu* COptionMenu::menuForCommand(int32_t command, int32_t& index)
{
    int32_t base = 0;
    return command < 0 ? nullptr : findOwner(command, base, index);
}

void* COptionMenu::buildPopup(CPopupMenuBuilder& builder, int32_t& nextCommand)
{
    const int32_t base = nextCommand;
    platformControl = builder.createMenu();
    if (!platformControl)
    {
        nextCommand = base + commandCount();
        return nullptr;
    }
    nextCommand = base + nbEntries;
    const int32_t current = currentIndex.load(std::memory_order_relaxed);
    int32_t appended = 0;
    int32_t subMenusUsed = 0;
    for (int32_t k = 0; k < nbEntries; ++k)
    {
        const char* text = entry[k];
        CPopupItem item;
        item.ownerDrawn = scheme != nullptr;
        item.text = text;
        if (isSeparator(text))
            item.kind = CPopupItem::kSeparator;
        else
        {
            item.newColumn = nbEntries < kMaxEntriesForColumns && nbItemsPerColumn > 0 &&
                             appended > 0 && appended % nbItemsPerColumn == 0;
            if (hasPrefix(text, "-M"))
            {
                if (subMenusUsed >= nbSubMenus)
                    continue; // a sub-menu entry whose sub-menu is missing
                item.kind = CPopupItem::kSubMenu;
                item.text = text + 2;
                item.subMenu = submenuEntry[subMenusUsed++]->buildPopup(builder, nextCommand);
                if (!item.subMenu)
                    continue;
            }
            else
            {
                // Numbered by entry index, so that a skipped entry never shifts a choice.
                item.command = base + k;
                item.greyed = hasPrefix(text, "-G");
                item.disabled = hasPrefix(text, "-T");
                if (item.greyed || item.disabled)
                    item.text = text + 2;
                else
                    item.checked = (style & kToggleCheckStyle)
                                       ? check[k]
                                       : (style & kCheckCurrentStyle) && k == current;
            }
        }
        builder.appendItem(platformControl, item);
        ++appended;
    }
    // Sub-menus left without an entry keep their blocks, as menuForCommand counts them.
    for (int32_t i = subMenusUsed; i < nbSubMenus; ++i)
        nextCommand += submenuEntry[i]->commandCount();
    return platformControl;
}

void COptionMenu::forgetPopupHandles()
{
    platformControl = nullptr;
    for (int32_t i = 0; i < nbSubMenus; ++i)
        submenuEntry[i]->forgetPopupHandles();
}

void COptionMenu::destroyPopup(CPopupMenuBuilder& builder)
{
    // The sub-menus' native menus go with the menu they are appended to.
    if (platformControl)
        builder.destroyMenu(platformControl);
    forgetPopupHandles();
}

} // namespace toolkit
