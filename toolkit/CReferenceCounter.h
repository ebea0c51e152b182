#pragma once

#include <cstdint>

namespace toolkit
{

// Base of every shared toolkit object. Created with one reference for its creator; whoever keeps
// a pointer beyond a call takes a reference with remember and gives it back with forget. The
// forget that drops the last reference destroys the object.
class CReferenceCounter
{
public:
    CReferenceCounter() = default;
    virtual ~CReferenceCounter() = default;
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;

    virtual void forget()
    {
        if (referenceCount-- == 1)
            delete this;
    }
    virtual void remember() { ++referenceCount; }

    int32_t getReferenceCount() const { return referenceCount; }

private:
    int32_t referenceCount = 1;
};

} // namespace toolkit
