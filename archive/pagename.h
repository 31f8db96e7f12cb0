#pragma once
// 파일명규칙변경: the name a page is stored under in the page folder, and the
// claim of that name that never replaces a file already there.
//
// Every page lies in the folder of its 시군구 and survey year:
//   <the first five digits of the 법정동코드>/<survey year>/
// Under the rule 변경 its name is
//   <kind letter><year, four digits><month, two digits>-<법정동코드>-<number, six digits>.<ext>
//   e.g. 41131/1998/G199801-4113110100-000123.jpg
// where the number counts the pages of that kind, month and 동리: one more
// than the highest number in the folder. Under 미변경 the page keeps the name
// it had; when a file of that name is there, " (2)", " (3)" ... goes before the
// extension: "scan 7.jpg", "scan 7 (2).jpg". The extension is the original's,
// in lower case.

#include <QChar>
#include <QString>

namespace rida::archive {

enum class NameRule {
    Rename,   // 변경
    KeepName, // 미변경
};

struct PageNameParts {
    QChar kind;         // T G S J Y X
    int surveyYear = 0; // four digits
    int surveyMonth = 0;
    QString regionCode; // ten digits
};

// The page's folder within the page folder, '/' between its parts: "41131/1998".
QString storedFolder(const PageNameParts& parts);

// The names a page may take, in the order they are tried.
class PageNamer {
public:
    // `folder` is the absolute folder the page goes into (it is read to find
    // the next number under 변경; it need not exist yet).
    PageNamer(NameRule rule, const PageNameParts& parts, const QString& originalName, const QString& folder);
    // The name of the attempt-th try, from 0.
    QString candidate(int attempt) const;

private:
    NameRule rule_;
    QString prefix_;    // "G199801-4113110100-"
    QString stem_;      // the original name without its extension
    QString extension_; // ".jpg", or empty
    int firstNumber_ = 1;
};

// The highest number a 변경 name with `prefix` has among `names`; 0 for none.
int highestNumber(const QStringList& names, const QString& prefix);

// Gives the file at `from` the name `to` in the same file system, failing
// rather than replacing a file that is there (a hard link, then the old name
// removed; where the file system has no hard links, a rename that refuses to
// replace). Returns 0, or the errno: EEXIST when `to` is taken.
int renameNoReplace(const QString& from, const QString& to);

} // namespace rida::archive
