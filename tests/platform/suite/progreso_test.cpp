#include "platform/suite/progreso.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

using namespace platform;

namespace {

// A click that reaches the button only when pending events run, as a user's click does while
// the computation is busy.
void queueCancelClick(Progreso &progreso)
{
    auto *cancel = progreso.window().findChild<QPushButton *>(QStringLiteral("cmdCancelar"));
    ASSERT_NE(cancel, nullptr);
    QMetaObject::invokeMethod(cancel, &QPushButton::click, Qt::QueuedConnection);
}

} // namespace

TEST(Progreso, CancelClickIsReportedOnceThenCleared)
{
    Progreso progreso;
    progreso.Mostrar(QStringLiteral("Actualizando Estadistica"), 1);
    EXPECT_TRUE(progreso.window().isVisible());
    EXPECT_EQ(progreso.window().windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(progreso.window().windowTitle(), QStringLiteral("Actualizando Estadistica"));

    std::int16_t cancel = 99;
    progreso.Avanzar(cancel, QStringLiteral("Ventas"), QStringLiteral("Procesando Información"),
                     QStringLiteral("Espere por Favor...!"));
    EXPECT_EQ(cancel, 0);

    queueCancelClick(progreso);
    progreso.Avanzar(cancel, QStringLiteral("Ventas 4.1.01"));
    EXPECT_NE(cancel, 0);
    progreso.Avanzar(cancel, QStringLiteral("Ventas 4.1.02"));
    EXPECT_EQ(cancel, 0);

    queueCancelClick(progreso);
    queueCancelClick(progreso);
    progreso.Avanzar(cancel, QStringLiteral("Costos"));
    EXPECT_NE(cancel, 0);
    progreso.Avanzar(cancel, QStringLiteral("Costos"));
    EXPECT_EQ(cancel, 0);
}

TEST(Progreso, AvanzarAfterOcultarShowsTheWindowAgain)
{
    Progreso progreso;
    progreso.Mostrar(QStringLiteral("Actualizando Estadistica"), 1);
    progreso.Ocultar();
    EXPECT_FALSE(progreso.window().isVisible());

    std::int16_t cancel = -1;
    progreso.Avanzar(cancel, QStringLiteral("Actualizando Estadistica"));
    EXPECT_TRUE(progreso.window().isVisible());
    EXPECT_EQ(cancel, 0);
    progreso.Ocultar();
}

TEST(Progreso, ANewShowForgetsAnOldCancelClick)
{
    Progreso progreso;
    progreso.Mostrar(QStringLiteral("Primera"), 1);
    queueCancelClick(progreso);
    std::int16_t cancel = 0;
    progreso.Avanzar(cancel, QStringLiteral("x"));
    progreso.Ocultar();
    queueCancelClick(progreso);
    QCoreApplication::processEvents();

    progreso.Mostrar(QStringLiteral("Segunda"), 1);
    progreso.Avanzar(cancel, QStringLiteral("y"));
    EXPECT_EQ(cancel, 0);
}
