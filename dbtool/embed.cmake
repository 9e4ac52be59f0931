# Writes the schema and seed scripts into a C++ source as raw string
# literals, so the tool carries them and runs from any folder.
# Called with -DOUT=... -DSCHEMA=... -DSEED=...
file(READ ${SCHEMA} _schema)
file(READ ${SEED} _seed)
foreach(_t IN ITEMS _schema _seed)
  string(FIND "${${_t}}" ")qvsql\"" _bad)
  if(NOT _bad EQUAL -1)
    message(FATAL_ERROR "the script holds the literal's delimiter")
  endif()
endforeach()
file(WRITE ${OUT}.tmp "// Generated from dbtool/schema.sql and dbtool/seed.sql; do not edit.\n"
  "#include \"dbtool/DbScripts.h\"\n"
  "namespace dbtool {\n"
  "const char* SchemaScript() { return R\"qvsql(${_schema})qvsql\"; }\n"
  "const char* SeedScript() { return R\"qvsql(${_seed})qvsql\"; }\n"
  "}\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
