// Keeps the tables beside PhoneList up to date for a store the window writes: its own writes within
// their commits, everything else (the first making of the tables, a large import, another program's
// writes) on LookupBuilder's thread. Must not outlive the store.
#pragma once

#include "lookup/LookupBuilder.h"

class ContactStore;

class LookupKeeping
{
public:
    explicit LookupKeeping(ContactStore &store);
    ~LookupKeeping();
    LookupKeeping(const LookupKeeping &) = delete;
    LookupKeeping &operator=(const LookupKeeping &) = delete;

    // Another connection has written contacts (a sync): their entries are made now rather than at
    // the builder's next look.
    void poke() { m_builder.poke(); }

private:
    ContactStore &m_store;
    LookupBuilder m_builder;
};
