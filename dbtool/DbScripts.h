#pragma once
// The schema and seed scripts of qorvane.db (dbtool/schema.sql and
// dbtool/seed.sql), compiled into the tool. UTF-8, in the engine's dialect.
namespace dbtool {
const char* SchemaScript();
const char* SeedScript();
}
