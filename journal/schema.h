// The journal's tables and their changes from one version to the next. Inside journal/ only.
#pragma once

#include "backend.h"

namespace estrivo {

// The schema version this program writes.
inline constexpr int kSchemaVersion = 5;

// What a journal holds: its schema version (0 for none yet) and whether tables of another
// program are there.
struct SchemaState
{
    int version = 0;
    bool foreignTables = false;
};

JournalError readSchemaState(QSqlDatabase &db, const JournalBackend &backend, SchemaState &state);

// Brings an older or empty journal up to kSchemaVersion in one transaction, under the back
// end's migration lock; a journal another program brought up meanwhile is left as it is.
JournalError migrateSchema(QSqlDatabase &db, const JournalBackend &backend);

} // namespace estrivo
