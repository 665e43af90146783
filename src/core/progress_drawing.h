#pragma once

#include <QImage>
#include <QString>
#include <QVariant>
#include <QWidget>

// The progress bar and status text of long operations: a bar that fills from the left with a
// centred caption whose colours invert where the bar covers it.
namespace core {

// The last value drawn other than -1; Empty (never drawn) counts as 0.
inline QVariant gUltimoValor;

// The picture box the bar is drawn into. It keeps what was drawn until the next drawing.
class StatusPicture : public QWidget
{
public:
    explicit StatusPicture(QWidget *parent = nullptr);

    // The drawing surface, as large as the widget.
    QImage &canvas();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QImage m_canvas;
};

// What a drawing shows: the share of the width the bar covers and the caption.
struct ProgressState
{
    double fraction = 0;
    int percent = 0;
    QString caption;
};

// The state for Valor of Maximo; a Valor of -1 stands for UltimoValor. Unless MostrarExtremos is
// set, 0% is shown as 1% and 100% as 99%. Raises 11 (division by zero) for a Maximo of 0.
ProgressState progressState(float Valor, float Maximo, const QVariant &UltimoValor,
                            bool MostrarExtremos, const QString &Texto);

// Draws the bar and the caption "<Texto> <percent>%" into the picture and refreshes it; a Valor
// of -1 keeps the last value and changes only the caption. Raises 11 for a Maximo of 0, drawing
// nothing.
void DibujarProgreso(StatusPicture &Imagen, float Valor, float Maximo, bool MostrarExtremos,
                     const QString &Texto);

// Shows the text with the last percentage in the window's picture named "picStatus". Without a
// window or such a picture nothing is drawn; nothing is ever raised.
void MostrarEstado(const QString &Texto, QWidget *Formulario);

} // namespace core
