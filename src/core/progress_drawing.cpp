#include "core/progress_drawing.h"

#include "platform/error.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace core {

namespace {

const QColor BarColour(0, 0, 128);
const QColor BackColour(255, 255, 255);

// Halves to the even neighbour, as the drawing positions are rounded.
int roundHalfEven(double value)
{
    return int(std::nearbyint(value));
}

} // namespace

StatusPicture::StatusPicture(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage &StatusPicture::canvas()
{
    if (m_canvas.size() != size()) {
        m_canvas = QImage(size(), QImage::Format_RGB32);
        m_canvas.fill(BackColour);
    }
    return m_canvas;
}

void StatusPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, canvas());
}

void StatusPicture::resizeEvent(QResizeEvent *)
{
    canvas();
}

ProgressState progressState(float Valor, float Maximo, const QVariant &UltimoValor,
                            bool MostrarExtremos, const QString &Texto)
{
    if (Maximo == 0)
        throw platform::Error(platform::errors::DivisionByZero,
                              QStringLiteral("División por cero"));
    const double value = Valor == -1 ? UltimoValor.toDouble() : double(Valor);
    ProgressState state;
    state.fraction = value * 100 / Maximo / 100;
    state.percent = int(std::floor(state.fraction * 100 + 0.5));
    if (!MostrarExtremos) {
        if (state.percent == 0)
            state.percent = 1;
        else if (state.percent == 100)
            state.percent = 99;
    }
    state.caption = Texto + QLatin1Char(' ') + QString::number(state.percent) + QLatin1Char('%');
    return state;
}

void DibujarProgreso(StatusPicture &Imagen, float Valor, float Maximo, bool MostrarExtremos,
                     const QString &Texto)
{
    const ProgressState state = progressState(Valor, Maximo, gUltimoValor, MostrarExtremos, Texto);
    if (Valor != -1)
        gUltimoValor = Valor;

    QImage &canvas = Imagen.canvas();
    canvas.fill(BackColour);
    QPainter painter(&canvas);
    painter.setFont(Imagen.font());
    const QFontMetrics metrics = painter.fontMetrics();
    const int w = metrics.horizontalAdvance(state.caption);
    const int h = metrics.height();
    const QRect captionBox(roundHalfEven(canvas.width() / 2.0 - w / 2.0),
                           roundHalfEven(canvas.height() / 2.0 - h / 2.0), w, h);
    painter.fillRect(captionBox, BackColour);
    painter.setPen(BarColour);
    painter.drawText(captionBox, Qt::AlignLeft | Qt::AlignTop, state.caption);

    // Not-XOR with the bar colour turns white into the bar colour and the bar-coloured letters
    // into white, so the caption stays readable where the bar covers it.
    if (state.fraction > 0) {
        painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        painter.fillRect(QRectF(0, 0, canvas.width() * state.fraction, canvas.height()), BarColour);
    }
    painter.end();
    Imagen.repaint();
}

void MostrarEstado(const QString &Texto, QWidget *Formulario)
{
    if (!Formulario)
        return;
    auto *picture = Formulario->findChild<StatusPicture *>(QStringLiteral("picStatus"));
    if (!picture)
        return;
    try {
        DibujarProgreso(*picture, -1, 100, false, Texto);
    } catch (const platform::Error &) {
        // A status text is never worth stopping the work it reports on.
    }
}

} // namespace core
