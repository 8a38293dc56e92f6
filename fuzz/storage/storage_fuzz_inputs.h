// Feeds one untrusted file to the engine's openers and exercises what a
// reader does with an opened table. Shared by the libFuzzer targets and by
// the test that replays the saved corpus under the normal build.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "storage/engine/xb_engine.h"

namespace quill::xb::fuzz {

inline void WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder of this process holding a small valid diary to pair inputs with.
struct Workbench {
  std::string dir;
  std::string dbf, fpt, cdx;   // the valid diary's bytes

  Workbench() {
    char pattern[] = "/tmp/xbfuzz-XXXXXX";
    dir = ::mkdtemp(pattern);
    std::string path = dir + "/QUILLBK.DBF";
    xb_CreateNew(path, "XXXXXXXXXX", XB_DRIVER_CDX, 2);
    xb_CreateField("DATE", 'C', 8, 0);
    xb_CreateField("ENTRY", 'M', 10, 0);
    xb_CreateExec();
    xb_Close();
    xb_Use(path, "", XB_MODE_EXCLUSIVE, XB_DRIVER_CDX);
    xb_IndexTag("", "DATE", "date", 0, 0, "");
    const char* keys[] = {"20240101", "20240102", "20240315", "20231231", "20240101"};
    for (int i = 0; i < 5; ++i) {
      xb_AppendBlank();
      xb_FieldPut("DATE", keys[i]);
      std::string text(static_cast<std::size_t>(20 + 70 * i), static_cast<char>('a' + i));
      xb_Replace("ENTRY", XB_MEMO_TEXT, text.c_str());
    }
    xb_Close();
    dbf = ReadBytes(path);
    fpt = ReadBytes(dir + "/QUILLBK.FPT");
    cdx = ReadBytes(dir + "/QUILLBK.CDX");
  }
  ~Workbench() {
    for (const char* f : {"QUILLBK.DBF", "QUILLBK.FPT", "QUILLBK.CDX", "QUILLBK.CDX.damaged", "QUILLBK.CDX.new"})
      std::remove((dir + "/" + f).c_str());
    ::rmdir(dir.c_str());
  }
  void Reset() {
    xb_CloseAll();
    for (const char* f : {"QUILLBK.DBF", "QUILLBK.FPT", "QUILLBK.CDX", "QUILLBK.CDX.damaged"})
      std::remove((dir + "/" + f).c_str());
    Put("QUILLBK.DBF", dbf);
    Put("QUILLBK.FPT", fpt);
    Put("QUILLBK.CDX", cdx);
  }
  void Put(const char* name, const std::string& bytes) {
    WriteBytes(dir + "/" + name, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  void Put(const char* name, const std::uint8_t* data, std::size_t size) { WriteBytes(dir + "/" + name, data, size); }
};

inline Workbench& Bench() {
  static Workbench bench;
  return bench;
}

// Opens the diary in the bench and does what readers do: walk every order
// both ways, read every memo, seek a few keys.
inline void ExerciseOpenTable(int mode) {
  xb_SetDeleted(false);
  int area = xb_Use(Bench().dir + "/QUILLBK.DBF", "", mode, XB_DRIVER_CDX);
  if (area == 0) {
    if (xb_ErrorText().empty()) std::abort();   // a failure must say why
    return;
  }
  int orders = static_cast<int>(xb_IndexList().size());
  int fields = xb_FieldCount();
  for (int order = 0; order <= orders; ++order) {
    xb_SetOrder(order);
    int steps = 0;
    for (xb_GoTop(); !xb_Eof() && steps < 2000; xb_Skip(1), ++steps) {
      for (int f = 1; f <= fields; ++f) {
        char type = xb_FieldType(f);
        if (type == 'M' || type == 'G' || type == 'P') {
          char* memo = xb_GetMemo(xb_FieldName(f), 0);
          xb_MemDealloc(memo);
        } else {
          xb_FieldGet(xb_FieldName(f));
        }
      }
    }
    steps = 0;
    for (xb_GoBottom(); !xb_Bof() && !xb_Eof() && steps < 2000; xb_Skip(-1), ++steps) {
    }
    if (order > 0) {
      for (const char* key : {"20240101", "2024", "", "zzzzzzzz", "20240315x"}) xb_Seek(key);
    }
  }
  xb_SetDeleted(true);
  xb_GoTop();
  xb_Skip(3);
  xb_Go(2);
  xb_Close();
}

inline void RunTableInput(const std::uint8_t* data, std::size_t size) {
  Workbench& b = Bench();
  b.Reset();
  b.Put("QUILLBK.DBF", data, size);
  ExerciseOpenTable(XB_MODE_READONLY);
}

inline void RunMemoInput(const std::uint8_t* data, std::size_t size) {
  Workbench& b = Bench();
  b.Reset();
  b.Put("QUILLBK.FPT", data, size);
  ExerciseOpenTable(XB_MODE_READONLY);
}

inline void RunIndexInput(const std::uint8_t* data, std::size_t size) {
  Workbench& b = Bench();
  b.Reset();
  b.Put("QUILLBK.CDX", data, size);
  ExerciseOpenTable(XB_MODE_READONLY);
  // Writable open: a damaged index is repaired or set aside, and writes go on.
  b.Put("QUILLBK.CDX", data, size);
  int area = xb_Use(b.dir + "/QUILLBK.DBF", "", XB_MODE_EXCLUSIVE, XB_DRIVER_CDX);
  if (area != 0) {
    xb_SetOrder(1);
    xb_AppendBlank();
    xb_FieldPut("DATE", "20240102");
    xb_Seek("20240102");
    xb_Close();
  }
}

}  // namespace quill::xb::fuzz
