#pragma once

// Small shared helpers of the windows and the data module.

#include <QRandomGenerator>
#include <QString>

#include <type_traits>

class DbConnection;

// The connection string of the database file: nineteen key=value items joined by ';', with the file name and the
// password inserted unchanged.
QString JetConnectionString(const QString& FileName, const QString& Password);

// A copy of `a` when `flag` is true, of `b` otherwise. Both are computed by the caller before the choice.
// This clang-format version folds requires-clauses onto the declaration.
// clang-format off
template <typename A, typename B>
    requires std::is_arithmetic_v<A> && std::is_arithmetic_v<B>
std::common_type_t<A, B> IfThenVar(bool flag, A a, B b)
{
    return flag ? std::common_type_t<A, B>(a) : std::common_type_t<A, B>(b);
}

template <typename T>
    requires(!std::is_arithmetic_v<T>)
T IfThenVar(bool flag, const T& a, const T& b)
{
    return flag ? a : b;
}
// clang-format on

// Texts of mixed kinds (a QString beside a string literal) meet here.
inline QString IfThenVar(bool flag, const QString& a, const QString& b)
{
    return flag ? a : b;
}

// `Count` capital letters drawn uniformly from "A" to "Y" ("Z" never occurs); empty for 0 or less.
QString RandomLetters(int Count);

// The generator RandomLetters draws from on the calling thread; tests seed it to get a known sequence.
QRandomGenerator& RandomLettersGenerator();

// Whether the database has a table or view of that name, letter case ignored; system tables do not count.
// The list is read afresh at every call; throws DataError when the connection is not open.
bool TableExists(const QString& Name, DbConnection& Connection);
