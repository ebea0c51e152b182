#include "toolkit/CNativeMenuBuilder.h"

#include "platform/Win32.h"

namespace toolkit
{
namespace
{

constexpr int32_t kLargestCommand = 0xFFFF;

UINT kindFlags(const CPopupItem& item)
{
    switch (item.kind)
    {
    case CPopupItem::kSeparator:
        return MF_SEPARATOR;
    case CPopupItem::kSubMenu:
        return MF_POPUP;
    case CPopupItem::kCommand:
        break;
    }
    return MF_STRING;
}

UINT stateFlags(const CPopupItem& item)
{
    UINT flags = 0;
    if (item.ownerDrawn)
        flags |= MF_OWNERDRAW;
    if (item.checked)
        flags |= MF_CHECKED;
    if (item.greyed || (item.kind == CPopupItem::kCommand && item.command > kLargestCommand))
        flags |= MF_GRAYED;
    if (item.disabled)
        flags |= MF_DISABLED;
    if (item.newColumn)
        flags |= MF_MENUBREAK;
    return flags;
}

UINT_PTR itemId(const CPopupItem& item)
{
    if (item.kind == CPopupItem::kSubMenu)
        return reinterpret_cast<UINT_PTR>(item.subMenu);
    if (item.kind == CPopupItem::kCommand && item.command >= 0 && item.command <= kLargestCommand)
        return static_cast<UINT_PTR>(item.command);
    return 0;
}

} // namespace

void* CNativeMenuBuilder::createMenu()
{
    return CreatePopupMenu();
}

void CNativeMenuBuilder::appendItem(void* menu, const CPopupItem& item)
{
    AppendMenuA(static_cast<HMENU>(menu), kindFlags(item) | stateFlags(item), itemId(item),
                item.text);
}

void CNativeMenuBuilder::destroyMenu(void* menu)
{
    DestroyMenu(static_cast<HMENU>(menu));
}

} // namespace toolkit
