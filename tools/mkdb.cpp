// tocwerk-mkdb SCHEMA.sql OUTPUT: makes the database OUTPUT afresh from SCHEMA.sql.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: tocwerk-mkdb SCHEMA.sql OUTPUT\n";
    return 2;
  }
  std::ifstream schemaFile(argv[1], std::ios::binary);
  if (!schemaFile) {
    std::cerr << "tocwerk-mkdb: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ostringstream schema;
  schema << schemaFile.rdbuf();

  const std::filesystem::path output = argv[2];
  const std::filesystem::path temp = output.string() + ".new";
  std::filesystem::create_directories(output.parent_path());
  std::filesystem::remove(temp);

  sqlite3* db = nullptr;
  char* error = nullptr;
  bool ok = sqlite3_open(temp.c_str(), &db) == SQLITE_OK &&
            sqlite3_exec(db, schema.str().c_str(), nullptr, nullptr, &error) == SQLITE_OK;
  if (!ok)
    std::cerr << "tocwerk-mkdb: " << (error ? error : sqlite3_errmsg(db)) << "\n";
  sqlite3_free(error);
  ok = sqlite3_close(db) == SQLITE_OK && ok;
  if (!ok) {
    std::filesystem::remove(temp);
    return 1;
  }
  std::filesystem::rename(temp, output);
  return 0;
}
