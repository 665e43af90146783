#include "../platform_test_helpers.h"
#include "platform/suite/archivo_ini.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

TEST(ArchivoIni, ReadsValuesAsWindowsDoes)
{
    QTemporaryDir folder;
    const QString crlf = folder.filePath(QStringLiteral("CN000pr.INI"));
    writeFileBytes(crlf,
                   "; settings\r\n"
                   "[EQUIPO|USUARIO]\r\n"
                   "Servidor=srv01\r\n"
                   "Clave=a=b=c\r\n"
                   "  Espacios  = con blancos \r\n"
                   "Servidor=segundo\r\n"
                   "Vacio=\r\n"
                   "Texto=Respondi\xF3\r\n"
                   "[Otra]\r\n"
                   "Base=otra\r\n"
                   "[equipo|usuario]\r\n"
                   "Base=repetida\r\n");
    const QString lf = folder.filePath(QStringLiteral("lf.ini"));
    writeFileBytes(lf, "[General]\nBase=demo\nUsuario=sa");

    const struct
    {
        const char *name;
        QString file;
        const char *section;
        const char *key;
        const char *value;
    } cases[] = {
        {"exact", crlf, "EQUIPO|USUARIO", "Servidor", "srv01"},
        {"case of section and key", crlf, "equipo|usuario", "SERVIDOR", "srv01"},
        {"= inside the value", crlf, "EQUIPO|USUARIO", "Clave", "a=b=c"},
        {"value raw, key trimmed", crlf, "EQUIPO|USUARIO", "Espacios", " con blancos "},
        {"empty value is not missing", crlf, "EQUIPO|USUARIO", "Vacio", ""},
        {"Windows-1252 text", crlf, "EQUIPO|USUARIO", "Texto", "Respondió"},
        {"key of another section", crlf, "Otra", "Base", "otra"},
        {"repeated section", crlf, "EQUIPO|USUARIO", "Base", "repetida"},
        {"missing key", crlf, "Otra", "Servidor", "defecto"},
        {"missing section", crlf, "Nada", "Servidor", "defecto"},
        {"LF-only file", lf, "general", "base", "demo"},
        {"last line without end", lf, "General", "Usuario", "sa"},
        {"name in another case", folder.filePath(QStringLiteral("cn000PR.ini")), "Otra", "Base",
         "otra"},
        {"missing file", folder.filePath(QStringLiteral("nada.ini")), "General", "Base", "defecto"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(gIni().LeerIni(c.file, QString::fromUtf8(c.section), QString::fromUtf8(c.key),
                                 QStringLiteral("defecto")),
                  QString::fromUtf8(c.value))
            << c.name;
}
