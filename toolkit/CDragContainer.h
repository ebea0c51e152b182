#pragma once

#include "platform/Win32.h"
#include "toolkit/CReferenceCounter.h"

#include <cstdint>

namespace toolkit
{

// What is being dragged over the frame's window: the system's data object and how many items it
// carries. Made by the drop target when a drag enters and forgotten when it leaves or drops; views
// receive it in their drag handlers. Window thread only.
class CDragContainer : public CReferenceCounter
{
public:
    // Counts the items: 1 for text, else the files of a file list, else 0. The data object is
    // held (one COM reference) as long as the container lives; null is allowed and counts 0.
    explicit CDragContainer(IDataObject* platformDrag);
    ~CDragContainer() override;

    int32_t getCount() const { return nbItems; }
    IDataObject* getPlatformDrag() const { return platformDrag; }

protected:
    IDataObject* platformDrag;
    int32_t nbItems = 0;
};

} // namespace toolkit
