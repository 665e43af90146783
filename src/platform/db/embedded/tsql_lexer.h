#pragma once

#include <QString>
#include <QStringView>
#include <QVector>
#include <initializer_list>

// The tokens of the SQL Server dialect. Every character of the text belongs to exactly one
// token, so joining the tokens' texts gives the text back.
namespace platform::db::embedded::tsql {

enum class TokenKind {
    Space, // blanks and line breaks
    Comment, // "--" to the end of the line, or "/* */" (these nest in T-SQL)
    Word, // keyword or plain identifier
    QuotedName, // [name] or "name"
    String, // 'text' or N'text', quotes doubled inside
    HashDate, // #date#, always a date
    TempName, // #name or ##name
    Variable, // @name or @@name
    Number,
    Symbol, // operators and punctuation; "<>" "!=" "<=" ">=" "!<" "!>" are one token each
};

struct Token
{
    TokenKind kind = TokenKind::Symbol;
    QString text;

    bool isSignificant() const { return kind != TokenKind::Space && kind != TokenKind::Comment; }
    bool isWord(QStringView keyword) const;
    template<typename Keywords = std::initializer_list<QStringView>>
    bool isAnyWord(const Keywords &keywords) const
    {
        for (QStringView keyword : keywords) {
            if (isWord(keyword))
                return true;
        }
        return false;
    }
    bool isSymbol(QStringView symbol) const { return kind == TokenKind::Symbol && text == symbol; }
    bool isNationalString() const;
    bool isName() const { return kind == TokenKind::Word || kind == TokenKind::QuotedName; }

    // The value of a String token: quotes and the N prefix removed, doubled quotes undone.
    QString stringValue() const;
    // A Word or QuotedName without its brackets or quotes.
    QString nameValue() const;
};

// Throws TranslationError (102) for a string, quoted name or comment left open.
QVector<Token> tokenize(const QString &sql);

} // namespace platform::db::embedded::tsql
