#include "core/progress_drawing.h"
#include "platform/error.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

const QRgb Bar = qRgb(0, 0, 128);
const QRgb White = qRgb(255, 255, 255);

struct StateCase
{
    const char *name;
    float valor;
    float maximo;
    QVariant ultimoValor;
    bool mostrarExtremos;
    double fraction;
    int percent;
};

void PrintTo(const StateCase &c, std::ostream *os)
{
    *os << c.name;
}

class ProgressStateTest : public ::testing::TestWithParam<StateCase>
{ };

TEST_P(ProgressStateTest, FractionPercentAndCaption)
{
    const StateCase &c = GetParam();
    const core::ProgressState state = core::progressState(
        c.valor, c.maximo, c.ultimoValor, c.mostrarExtremos, QStringLiteral("Ejecutando"));
    EXPECT_NEAR(state.fraction, c.fraction, 1e-6);
    EXPECT_EQ(state.percent, c.percent);
    EXPECT_EQ(state.caption,
              QStringLiteral("Ejecutando ") + QString::number(c.percent) + QLatin1Char('%'));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressStateTest,
    ::testing::Values(StateCase{"part", 37, 100, {}, false, 0.37, 37},
                      StateCase{"other_maximum", 1, 3, {}, false, 1.0 / 3, 33},
                      StateCase{"half_goes_up", 12.5f, 100, {}, false, 0.125, 13},
                      StateCase{"empty_shows_one", 0, 100, {}, false, 0, 1},
                      StateCase{"empty_with_extremes", 0, 100, {}, true, 0, 0},
                      StateCase{"full_shows_ninety_nine", 100, 100, {}, false, 1, 99},
                      StateCase{"full_with_extremes", 100, 100, {}, true, 1, 100},
                      StateCase{"past_the_maximum", 150, 100, {}, false, 1.5, 150},
                      StateCase{"keeps_the_last_value", -1, 100, 50.0f, false, 0.5, 50},
                      StateCase{"keeps_nothing_before_any_value", -1, 100, {}, false, 0, 1}),
    [](const ::testing::TestParamInfo<StateCase> &info) { return info.param.name; });

class ProgressDrawingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        core::gUltimoValor = QVariant();
        picture.resize(200, 24);
    }
    void TearDown() override { core::gUltimoValor = QVariant(); }

    // How many pixels of the picture's top row, above the caption, the bar covers.
    int barPixelsOnTopRow()
    {
        const QImage image = picture.grab().toImage();
        int count = 0;
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, 0) == Bar ? 1 : 0;
        return count;
    }

    // How many pixels of the whole picture are dark (bar-coloured) or light (white), letters'
    // smoothed edges included.
    int pixels(bool dark)
    {
        const QImage image = picture.grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                count += (qRed(image.pixel(x, y)) < 128) == dark ? 1 : 0;
        }
        return count;
    }

    core::StatusPicture picture;
};

TEST_F(ProgressDrawingTest, BarFillsFromTheLeftAndInvertsTheCaption)
{
    core::DibujarProgreso(picture, 0, 100, true, QStringLiteral("Procesando"));
    EXPECT_EQ(barPixelsOnTopRow(), 0);
    EXPECT_GT(pixels(true), 0) << "dark letters on white";

    core::DibujarProgreso(picture, 50, 100, true, QStringLiteral("Procesando"));
    EXPECT_EQ(barPixelsOnTopRow(), 100);
    EXPECT_EQ(picture.grab().toImage().pixel(0, 0), Bar);
    EXPECT_EQ(picture.grab().toImage().pixel(199, 0), White);

    core::DibujarProgreso(picture, 100, 100, true, QStringLiteral("Procesando"));
    EXPECT_EQ(barPixelsOnTopRow(), 200);
    EXPECT_GT(pixels(false), 0) << "white letters on the bar";
}

TEST_F(ProgressDrawingTest, MinusOneKeepsTheValueAndChangesTheCaption)
{
    core::DibujarProgreso(picture, 50, 100, false, QStringLiteral("Antes"));
    const QImage before = picture.grab().toImage();
    core::DibujarProgreso(picture, -1, 100, false, QStringLiteral("Despues"));

    EXPECT_EQ(core::gUltimoValor.toFloat(), 50.0f);
    EXPECT_EQ(barPixelsOnTopRow(), 100);
    EXPECT_NE(picture.grab().toImage(), before);
}

TEST_F(ProgressDrawingTest, ZeroMaximumRaisesDivisionByZeroAndDrawsNothing)
{
    core::DibujarProgreso(picture, 50, 100, false, QStringLiteral("Antes"));
    const QImage before = picture.grab().toImage();
    try {
        core::DibujarProgreso(picture, 10, 0, false, QStringLiteral("Nada"));
        FAIL() << "no error raised";
    } catch (const platform::Error &error) {
        EXPECT_EQ(error.number(), platform::errors::DivisionByZero);
    }
    EXPECT_EQ(core::gUltimoValor.toFloat(), 50.0f);
    EXPECT_EQ(picture.grab().toImage(), before);
}

TEST_F(ProgressDrawingTest, StatusIsDrawnOnlyOnTheWindowsStatusPicture)
{
    QWidget window;
    QWidget withoutPicture;
    picture.setParent(&window);
    picture.setObjectName(QStringLiteral("picStatus"));
    core::gUltimoValor = 50.0f;

    core::MostrarEstado(QStringLiteral("Analizando"), nullptr);
    core::MostrarEstado(QStringLiteral("Analizando"), &withoutPicture);
    EXPECT_EQ(barPixelsOnTopRow(), 0);

    core::MostrarEstado(QStringLiteral("Analizando"), &window);
    EXPECT_EQ(barPixelsOnTopRow(), 100);
    picture.setParent(nullptr);
}

} // namespace
