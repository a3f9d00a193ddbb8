#include "viewers/picture_window.h"

#include "viewers/jpeg_decoder.h"

#include <QFile>
#include <QResizeEvent>

namespace {
struct Design {
    const char* objectName;
    const char* caption;
    QSize client;
    QRect picture;
    const char* resource;
};
const Design kDesigns[] = {
    { "TMatrixIForm", "Architecture Matrix", { 640, 267 }, { 0, 0, 645, 275 }, ":/pictures/architecture_matrix.jpg" },
    { "TMatrixIIForm", "Service Management  Matrix", { 650, 279 }, { 8, 8, 645, 275 },
        ":/pictures/service_management_matrix.jpg" },
    { "TTaxonomyForm", "Attribute Taxonomy", { 782, 531 }, { 8, 8, 1022, 715 }, ":/pictures/attribute_taxonomy.jpg" },
};
}

// The pictures are compiled into the GUI library, which is static.
static void initPictureResources()
{
    Q_INIT_RESOURCE(assets);
}

PictureWindow::PictureWindow(Kind kind, QWidget* owner)
    : QWidget(owner, Qt::Window)
{
    initPictureResources();
    const Design& d = kDesigns[kind];
    setObjectName(QString::fromLatin1(d.objectName));
    setWindowTitle(QString::fromLatin1(d.caption));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    resize(d.client);
    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setScaledContents(true);
    m_image->setGeometry(d.picture);
    QFile file(QString::fromLatin1(d.resource));
    if (file.open(QIODevice::ReadOnly)) {
        QString error;
        const QImage image = decodeJpeg(file.readAll(), &error);
        if (!image.isNull())
            m_image->setPixmap(QPixmap::fromImage(image));
        else
            m_image->setText(error);
    }
}

void PictureWindow::showWindow()
{
    show();
    raise();
    activateWindow();
}

void PictureWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_remembered = size();
}

void PictureWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Before the first showing nothing is remembered: nothing follows.
    if (m_remembered.isEmpty())
        return;
    const QSize now = event->size();
    m_image->resize(m_image->width() + now.width() - m_remembered.width(),
        m_image->height() + now.height() - m_remembered.height());
    m_remembered = now;
}
