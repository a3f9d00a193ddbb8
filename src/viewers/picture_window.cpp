#include "viewers/picture_window.h"

#include "viewers/jpeg_decoder.h"
#include "viewers/window_placement.h"

#include <QFile>
#include <QScreen>
#include <QVBoxLayout>

namespace {
struct Design {
    const char* objectName;
    const char* caption;
    int margin; // around the picture
    QSize picture; // its first size, the image's own
    const char* resource;
};
const Design kDesigns[] = {
    { "TMatrixIForm", "Architecture Matrix", 0, { 645, 275 }, ":/pictures/architecture_matrix.jpg" },
    { "TMatrixIIForm", "Service Management  Matrix", 8, { 645, 275 }, ":/pictures/service_management_matrix.jpg" },
    { "TTaxonomyForm", "Attribute Taxonomy", 8, { 1022, 715 }, ":/pictures/attribute_taxonomy.jpg" },
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
    m_image = new QLabel;
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setScaledContents(true);
    // The picture fills the window inside its margin, so it first shows whole
    // and unscaled and then grows and shrinks by as many pixels as the window.
    m_image->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(d.margin, d.margin, d.margin, d.margin);
    layout->addWidget(m_image);
    // A picture taller or wider than the screen starts scaled down to fit.
    resize((d.picture + QSize(2 * d.margin, 2 * d.margin)).boundedTo(screen()->availableGeometry().size() * 9 / 10));
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
    // The first showing places the window inside the screen, over the main
    // window; later showings keep where the analyst moved it.
    if (!m_placed)
        WindowPlacement::placeInside(*this, parentWidget());
    m_placed = true;
    if (m_source)
        m_image->setPixmap(QPixmap::fromImage(m_source()));
    show();
    raise();
    activateWindow();
}

void PictureWindow::refreshPicture()
{
    if (m_source && isVisible())
        m_image->setPixmap(QPixmap::fromImage(m_source()));
}
