#include "lookup/LookupKeeping.h"

#include "contacts/ContactStore.h"
#include "lookup/LookupUpdate.h"

LookupKeeping::LookupKeeping(ContactStore &store)
    : m_store(store)
    , m_builder(store.path(), [&store] { return store.isWritable(); })
{
    m_store.setBeforeCommit([this] {
        if (applyWithinWrite(m_store.connection()) != LookupProgress::Done)
            m_builder.poke();
    });
}

LookupKeeping::~LookupKeeping()
{
    m_store.setBeforeCommit({});
}
