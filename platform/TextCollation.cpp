#include "platform/TextCollation.h"

#include <sqlite3.h>

#include <vector>

namespace {

constexpr char16_t kSmallIo = u'ё';
constexpr char16_t kSmallIe = u'е';

// Folded letter plus a tie-break weight, so that Ё sorts beside Е but is not equal to it.
int primaryWeight(char16_t c) {
    return c == kSmallIo ? kSmallIe : c;
}

QString fold(const QString& text) {
    return text.toCaseFolded();
}

int compareFolded(const QString& a, const QString& b) {
    const qsizetype n = qMin(a.size(), b.size());
    int secondary = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ca = a.at(i).unicode();
        const char16_t cb = b.at(i).unicode();
        const int wa = primaryWeight(ca);
        const int wb = primaryWeight(cb);
        if (wa != wb) {
            return wa < wb ? -1 : 1;
        }
        if (secondary == 0 && ca != cb) {
            secondary = ca == kSmallIo ? 1 : -1;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return secondary;
}

// One step of a LIKE pattern: a character to match, "_" (any one) or "%" (any run).
struct LikeAtom {
    enum Kind { Literal, One, Any } kind;
    QChar c;
};

// An escaped character is a literal; a trailing escape stands for itself; runs of "%" count once.
std::vector<LikeAtom> likeAtoms(const QString& p, QChar escape) {
    std::vector<LikeAtom> atoms;
    for (qsizetype pi = 0; pi < p.size(); ++pi) {
        const QChar pc = p.at(pi);
        if (!escape.isNull() && pc == escape && pi + 1 < p.size()) {
            atoms.push_back({LikeAtom::Literal, p.at(++pi)});
        } else if (pc == u'%') {
            if (atoms.empty() || atoms.back().kind != LikeAtom::Any) {
                atoms.push_back({LikeAtom::Any, pc});
            }
        } else {
            atoms.push_back({pc == u'_' ? LikeAtom::One : LikeAtom::Literal, pc});
        }
    }
    return atoms;
}

// Greedy matching that returns only to the last "%": at worst text length x pattern length steps,
// where trying every split at every "%" grows exponentially with their number.
bool likeFolded(const QString& p, const QString& t, QChar escape) {
    const std::vector<LikeAtom> atoms = likeAtoms(p, escape);
    const auto count = qsizetype(atoms.size());
    qsizetype ai = 0;
    qsizetype ti = 0;
    qsizetype lastAny = -1;  // the atom after the last "%" passed, and where its run of text ends
    qsizetype anyEnd = 0;
    while (ti < t.size()) {
        if (ai < count && atoms[ai].kind == LikeAtom::Any) {
            lastAny = ++ai;
            anyEnd = ti;
        } else if (ai < count && (atoms[ai].kind == LikeAtom::One || atoms[ai].c == t.at(ti))) {
            ++ai;
            ++ti;
        } else if (lastAny >= 0) {
            ai = lastAny;
            ti = ++anyEnd;
        } else {
            return false;
        }
    }
    while (ai < count && atoms[ai].kind == LikeAtom::Any) {
        ++ai;
    }
    return ai == count;
}

int collate(void*, int lenA, const void* a, int lenB, const void* b) {
    return compareText(QString::fromUtf8(static_cast<const char*>(a), lenA),
                       QString::fromUtf8(static_cast<const char*>(b), lenB));
}

QString textArg(sqlite3_value* value) {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return bytes ? QString::fromUtf8(bytes, sqlite3_value_bytes(value)) : QString();
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    QChar escape;
    if (argc == 3) {
        const QString e = textArg(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(context, "Выражение ESCAPE должно быть одним символом", -1);
            return;
        }
        escape = e.at(0);
    }
    sqlite3_result_int(context, likeText(textArg(argv[0]), textArg(argv[1]), escape) ? 1 : 0);
}

}  // namespace

int compareText(const QString& a, const QString& b) {
    return compareFolded(fold(a), fold(b));
}

bool likeText(const QString& pattern, const QString& text, QChar escape) {
    return likeFolded(fold(pattern), fold(text), escape.isNull() ? escape : fold(QString(escape)).at(0));
}

bool registerTextFunctions(sqlite3* handle) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_collation(handle, kTextCollation, SQLITE_UTF8, nullptr, collate) == SQLITE_OK &&
           sqlite3_create_function(handle, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function(handle, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr) == SQLITE_OK;
}
