#pragma once
// Engine-wide settings. The object keeps its own defaults; the engine hears
// of a setting only when it is assigned. DateFormat and Century also set the
// program's date separator and short date format.

namespace quill {

enum TXbDateFormat { dfAmerican = 0, dfAnsi, dfBritish, dfFrench, dfGerman, dfItalian, dfSpanish };

class TXbEnv {
public:
    bool Exact() const { return exact_; }
    bool Century() const { return century_; }
    TXbDateFormat DateFormat() const { return dateFormat_; }
    int LockTimeout() const { return lockTimeout_; }
    int MemoBlockSize() const { return memoBlockSize_; }
    bool SoftSeek() const { return softSeek_; }
    bool Deleted() const { return deleted_; }

    void SetExact(bool on);
    void SetCentury(bool on);
    void SetDateFormat(TXbDateFormat format);
    void SetLockTimeout(int seconds);
    void SetMemoBlockSize(int size);
    void SetSoftSeek(bool on);
    void SetDeleted(bool on);

private:
    void ApplyShortDateFormat();

    bool exact_ = false;
    bool century_ = false;
    TXbDateFormat dateFormat_ = dfAmerican;
    int lockTimeout_ = 1;
    int memoBlockSize_ = 64;
    bool softSeek_ = false;
    bool deleted_ = false;
};

// The engine's start-up calls; returns its version text (empty = unusable).
const char* XbEngineStart();

}  // namespace quill
