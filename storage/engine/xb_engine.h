// Quillbook's xBase engine: FoxPro 2.x tables (.DBF) with FPT memo files and
// CDX compound indexes, reached through numbered work areas in the classic
// xb_ call style.
//
// Work areas are process-wide and numbered from 1; 0 means "none". Every call
// acts on the selected work area. Calls that need an open table and find
// none set error XB_ERR_NO_TABLE and return 0 / false / empty.
//
// Strings: all text is single-byte (Windows-1252) and passed as
// std::string_view; the engine copies what it keeps.
//
// Durability: every write goes to the files at once, in an order that keeps
// the committed state intact if the process dies at any instant (memo blocks
// before the record that points at them, the header record count last).
// xb_Commit() fsyncs memo, table and index; once it returns non-zero,
// everything written so far survives a crash or power loss. The index may
// lag behind the table after a crash; it is checked against the table when
// the table opens and rebuilt when it does not match.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quill::xb {

// ---- error codes (xb_Error) -------------------------------------------------
enum XbError : int {
  XB_OK = 0,
  XB_ERR_NO_TABLE = 1,       // no work area selected / area not open
  XB_ERR_OPEN = 2,           // file cannot be opened or created
  XB_ERR_LOCKED = 3,         // another opener holds the file (exclusive use)
  XB_ERR_CORRUPT = 4,        // table, memo or index file is damaged
  XB_ERR_IO = 5,             // read or write failed (disk full, read-only...)
  XB_ERR_ARG = 6,            // bad argument (unknown field, bad width...)
  XB_ERR_READONLY = 7,       // write on a table opened read-only
  XB_ERR_UNSUPPORTED = 8,    // feature or expression this engine lacks
  XB_ERR_NO_AREA = 9,        // all work areas in use
  XB_ERR_POSITION = 10,      // no current record (EOF) for a record operation
  XB_ERR_EXISTS = 11,        // alias already in use
  XB_ERR_PASSWORD = 12,      // protected table: no password, or a wrong one
};

// Drivers for xb_CreateNew / xb_Use.
constexpr int XB_DRIVER_NTX = 1;
constexpr int XB_DRIVER_CDX = 2;   // FoxPro 2.x table + FPT memo + CDX index
constexpr int XB_DRIVER_OWN = 3;

// Open modes for xb_Use.
constexpr int XB_MODE_SHARED = 0;
constexpr int XB_MODE_READONLY = 1;
constexpr int XB_MODE_EXCLUSIVE = 2;

// The length/flag value the diary passes to xb_Replace for memo text.
constexpr int XB_MEMO_TEXT = 3072;

// ---- engine-wide ------------------------------------------------------------
void xb_SetStringType(int type);     // 1 = NUL-terminated C strings (kept)
void xb_ErrorLevel(int level);       // kept; errors are always returned
std::string xb_Version();            // non-empty

int xb_Error();                      // last error code (XB_OK after success)
std::string xb_ErrorText();          // names the file and what is wrong

// ---- creating a table -------------------------------------------------------
// Begins a new table structure; returns the work area that will hold it, or
// 0. The table file is written by xb_CreateExec, which leaves the new table
// open in that area (exclusive) until xb_Close.
int xb_CreateNew(std::string_view path, std::string_view alias, int driver,
                 int fieldCount);
// type: 'C' character (1..254), 'M' memo (width 10), 'N' numeric, 'D' date (8),
// 'L' logical (1). Returns non-zero on success.
int xb_CreateField(std::string_view name, char type, int width, int decimals);
// Writes the table (and an empty FPT memo file when a memo field exists).
// Non-zero on success.
int xb_CreateExec();
void xb_Close();                     // closes the selected area
void xb_CloseAll();

// ---- opening and work areas -------------------------------------------------
int xb_WorkArea(std::string_view alias);  // area using alias, 0 if free
// mode: XB_MODE_*; driver: XB_DRIVER_*. The production CDX (same stem, any
// letter case) opens with the table. Returns the area (now selected) or 0.
int xb_Use(std::string_view path, std::string_view alias, int mode, int driver);
int xb_Select(int area);             // returns the previously selected area
int xb_Selected();
std::string xb_Alias();              // alias of the selected area
std::string xb_DbfPath();            // table path of the selected area

// ---- structure ----------------------------------------------------------------
int xb_FieldCount();
std::string xb_FieldName(int index);      // 1-based
char xb_FieldType(int index);
int xb_FieldWidth(int index);
int xb_FieldDecimals(int index);
int xb_FieldOffset(int index);            // offset in the record buffer
int xb_FieldIndex(std::string_view name); // 1-based, 0 if unknown (any case)

// ---- indexes ------------------------------------------------------------------
// Orders: 0 = natural record order, n = n-th open tag (see xb_IndexList).
int xb_TagArea(std::string_view tag);     // order number of tag, 0 if none
int xb_SetOrder(int order);               // returns previous order
int xb_IndexOrd();
std::vector<std::string> xb_IndexList();  // open tag names, order 1 first
std::string xb_IndexKey(int order);       // key expression of a tag
// Creates or rebuilds tag from every record (deleted ones included) and makes
// it the current order. file empty = production index (<stem>.CDX). option:
// 1 = unique. condition: empty or a filter expression (see xb_Query).
// Returns the tag's order number, 0 on failure.
int xb_IndexTag(std::string_view file, std::string_view tag,
                std::string_view expr, int option, int descending,
                std::string_view condition);
void xb_CloseIndexes();
// Opens a CDX file; returns the order number of its first tag (now current),
// 0 on failure.
int xb_IndexOpen(std::string_view path);
// Rebuilds every open tag from the table (the repair for a damaged index).
int xb_Reindex();

// ---- seeking and moving -------------------------------------------------------
// Seeks key in the current order. Found: non-zero, record pointer on the
// first matching record. Not found: 0 and EOF (or, with SoftSeek on, on the
// next greater key when there is one). A key shorter than the tag's key
// length matches keys beginning with it.
int xb_Seek(std::string_view key);
int xb_GoTop();
int xb_GoBottom();
int xb_Skip(int count);
int xb_Go(long recno);
bool xb_Bof();
bool xb_Eof();
long xb_RecNo();      // RecCount()+1 at EOF
long xb_RecCount();   // physical records, deleted ones included

// ---- records --------------------------------------------------------------------
int xb_RecSize();                      // record length incl. deletion flag
// Copies the current record (deletion flag byte first) into buf, which holds
// xb_RecSize() bytes. Non-zero on success.
int xb_GetRecord(char* buf);
// Writes buf as the current record. Memo fields in buf are ignored: memo
// pointers change only through xb_Replace and xb_StageMemo (so a stale
// buffer can never point a record at somebody else's memo). The deletion flag is taken from buf[0]
// ('*' deleted, anything else live). Index keys are updated.
int xb_PutRecord(const char* buf);
// Writes TEXT for memo FIELD into fresh blocks now and keeps its pointer
// for the next xb_PutRecord or xb_AppendRecord, which writes it together with
// the rest of the record: a kill leaves either the old record or the new one.
// An empty text stages an empty memo. Non-zero on success.
int xb_StageMemo(std::string_view field, std::string_view text);
// Appends BUF (xb_RecSize() bytes, deletion flag first) with the staged memo
// pointers as a new record, now current: one record write, then the count,
// so a kill or a failed write never leaves a half-made record behind.
int xb_AppendRecord(const char* buf);
// What opening the selected table, or its last pack, found damaged and
// worked around (a table cut short, an index that could not be written back,
// records kept whose memo cannot be read...); "" when nothing.
std::string xb_DamageText();
// Character/numeric/date/logical field as stored (not trimmed).
std::string xb_FieldGet(std::string_view field);
// Writes a non-memo field (padded with blanks, too long = error) or, for a
// memo field, the whole text.
int xb_FieldPut(std::string_view field, std::string_view value);

// ---- memo -------------------------------------------------------------------------
// Memo text of the current record as a NUL-terminated copy (malloc'ed; free
// with xb_MemDealloc). An empty memo gives "". nullptr on error.
char* xb_GetMemo(std::string_view field, int flags);
void xb_MemDealloc(char* p);
std::string xb_MemoGet(std::string_view field);
// For a memo field: len is the caller's type flag (XB_MEMO_TEXT = 3072 is
// text; any value is accepted) and text is NUL-terminated: all of it up to
// the NUL is stored. An empty text empties the memo. For a character field
// len is the number of bytes to take (negative or XB_MEMO_TEXT = up to NUL).
// The new text always goes to fresh memo blocks, so the committed text stays
// readable until the record points at the new one. Non-zero on success.
int xb_Replace(std::string_view field, int len, const char* text);
// Same for text that may hold any byte.
int xb_MemoPut(std::string_view field, std::string_view text);

// ---- writing ------------------------------------------------------------------------
int xb_AppendBlank();    // new blank record at the end, now current
int xb_Rlock();          // exclusive use: always granted
int xb_Unlock();
int xb_Commit();         // fsync: non-zero = everything so far is durable
int xb_Delete();         // flags the current record
bool xb_Deleted();
int xb_Recall();
// Removes deleted records and dead memo blocks; new files are written beside
// the old ones and swapped in atomically; indexes are rebuilt.
int xb_Pack();

// ---- settings (engine-wide) -------------------------------------------------------
void xb_SetDeleted(bool on);       // on: deleted records are skipped
void xb_SetExact(bool on);         // string = compares whole strings
void xb_SetCentury(bool on);
void xb_SetDateFormat(int format); // 0 American .. 6 Spanish (kept)
void xb_SetLockTimeout(int seconds);
void xb_SetMemoBlockSize(int size);// block size of memo files created later
void xb_SetSoftSeek(bool on);
void xb_SetTurboRead(bool on);

// ---- filter --------------------------------------------------------------------------
std::string xb_DBFilter();         // current filter expression ("" = none)
// Sets the filter of the selected area ("" clears it). Understood:
// FIELD = "text", ==, <>, !=, #, <, <=, >, >=, UPPER(FIELD), TRIM(FIELD),
// DELETED(), .NOT./!, .AND., .OR., parentheses. Anything else: 0 and
// XB_ERR_UNSUPPORTED, filter unchanged. Navigation skips records the filter
// rejects.
int xb_Query(std::string_view expression);

// ---- encryption -------------------------------------------------------------------------
// A protected table has a key file beside it (<stem>.SLT: the salt and the
// limits of the Argon2id key derivation, and a sealed check value). Its
// memo texts are sealed (XChaCha20-Poly1305, fresh nonce per write, the
// record's other fields bound in), while the table's fields and its index
// stay readable to any xBase reader.
//
// Gives every open protected table (and those opened later) the password:
// the key is derived and checked at once. Reading a sealed text without the
// right password fails with XB_ERR_PASSWORD and writes that need the key
// are refused, so a wrong password never yields garbage or damages a
// record. A text whose seal fails under the right key fails with
// XB_ERR_CORRUPT (a damaged record); the other records stay readable.
void xb_SetPassword(std::string_view password);
constexpr int XB_KEY_PLAIN = 0;    // not protected
constexpr int XB_KEY_OPEN = 1;     // protected, the password set opens it
constexpr int XB_KEY_LOCKED = 2;   // protected, no password or a wrong one
int xb_KeyState();                 // of the selected table
// TEXT sealed with the selected protected table's key, bound to BINDING, for
// the files kept beside the table (never a record's binding). Zero with
// XB_ERR_PASSWORD when the table is locked, XB_ERR_ARG when it is plain.
int xb_SealOwnText(std::string_view text, std::string_view binding, std::string& sealed);
// The text of such a file; zero when its seal does not open with the
// table's key and BINDING (XB_ERR_CORRUPT), or the table is locked or plain.
int xb_OpenOwnText(std::string_view sealed, std::string_view binding, std::string& text);
// Opens the selected protected table with PASSWORD alone, leaving the
// engine's password as it is (a copy under an earlier password). Non-zero
// when it opens it, and for a table without protection.
int xb_TryPassword(std::string_view password);
// Forgets the keys derived so far in this run, which otherwise spare the
// copies of one diary a derivation each (open tables keep their own).
void xb_ForgetKeys();
// Re-writes the whole table with its texts sealed under the password last
// set (a plain table) or opened from it (a protected one). One pass: the
// new files are written beside the old ones and swapped in atomically, a
// marker letting the next open finish a swap a kill interrupted, so the
// table is always either as it was or completely re-written. Non-zero on
// success; on failure the table is as it was.
int xb_DbfEncrypt();
int xb_DbfDecrypt();
// The same from the table's present state (plain, or protected and open)
// straight to NEWPASSWORD (empty: plain), without a plain stage between;
// the engine then holds NEWPASSWORD.
int xb_DbfChangePassword(std::string_view newPassword);

// ---- progress ------------------------------------------------------------------------------
// Called with 0..100 during pack, index builds and re-encryption; an empty
// function stops it.
void xb_SetGaugeHook(std::function<void(int percent)> hook);

// ---- fault injection for tests -------------------------------------------------------------
// Before every write the hook is asked with the file path and the number of
// bytes; a non-zero return makes that write fail with that errno value
// (e.g. ENOSPC, EROFS). An empty function removes it.
void xb_SetWriteFaultHook(std::function<int(const std::string& path, std::size_t bytes)> hook);
// Called at named points of a re-encryption ("staged", "marked", "memo",
// "table", "key"); a test ends the process there to show that every
// instant leaves a table that opens.
void xb_SetRekeyStepHook(std::function<void(const std::string& step)> hook);

}  // namespace quill::xb
