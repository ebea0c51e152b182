#include "toolkit/CDragContainer.h"

namespace toolkit
{
namespace
{

// Asks the data object for one format in global memory; the medium is released again at once:
// only whether it is offered, and for a file list its length, is kept.
bool offers(IDataObject* data, CLIPFORMAT format, int32_t& files)
{
    FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data->GetData(&request, &medium) != S_OK)
        return false;
    if (format == CF_HDROP)
        files = static_cast<int32_t>(
            DragQueryFileA(static_cast<HDROP>(medium.hGlobal), 0xFFFFFFFF, nullptr, 0));
    ReleaseStgMedium(&medium);
    return true;
}

} // namespace

CDragContainer::CDragContainer(IDataObject* platformDrag) : platformDrag(platformDrag)
{
    if (!platformDrag)
        return;
    platformDrag->AddRef();
    int32_t files = 0;
    if (offers(platformDrag, CF_TEXT, files))
        nbItems = 1;
    else if (offers(platformDrag, CF_HDROP, files))
        nbItems = files;
}

CDragContainer::~CDragContainer()
{
    if (platformDrag)
        platformDrag->Release();
}

} // namespace toolkit
