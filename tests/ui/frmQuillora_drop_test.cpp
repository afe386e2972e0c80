// Dropping files onto the main frame.
#include <QMimeData>
#include <QUrl>
#include <QtTest>

#include "gui_support/frame_fixture.h"
#include "ui/frmDocument.h"

namespace quillora {

namespace {

// Delivers a drop of urls at the frame's centre; true when the frame accepted it.
bool Drop(frmQuillora& frame, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  const QPointF centre = QRectF(frame.rect()).center();
  QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&frame, &enter);
  if (!enter.isAccepted()) {
    return false;
  }
  QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&frame, &drop);
  return drop.isAccepted();
}

}  // namespace

class frmQuillora_drop_test : public QObject, testing::FrameFixture {
  Q_OBJECT

 private slots:
  void init() { StartFrame(); }
  void cleanup() { Stop(); }

  void a_dropped_file_opens_as_the_source_document() {
    const QString path = env_->Sample(QStringLiteral("jis_mail.txt"));
    QVERIFY(Drop(*frame_, {QUrl::fromLocalFile(path)}));
    QCOMPARE(frame_->Documents().size(), 1);
    QCOMPARE(frame_->ActiveDocument()->windowTitle(), path);
    QVERIFY(!frame_->findChild<QAction*>(QStringLiteral("mnuFileOpen"))->isEnabled());
  }

  void drops_are_refused_while_open_is_disabled() {
    const QString path = env_->Sample(QStringLiteral("jis_mail.txt"));
    QVERIFY(Drop(*frame_, {QUrl::fromLocalFile(path)}));
    QVERIFY(!Drop(*frame_, {QUrl::fromLocalFile(env_->Sample(QStringLiteral("base64_mail.eml")))}));
    QCOMPARE(frame_->Documents().size(), 1);
    QCOMPARE(frame_->ActiveDocument()->windowTitle(), path);
  }

  void several_files_or_a_remote_url_are_refused() {
    const QUrl one = QUrl::fromLocalFile(env_->Sample(QStringLiteral("jis_mail.txt")));
    const QUrl two = QUrl::fromLocalFile(env_->Sample(QStringLiteral("base64_mail.eml")));
    QVERIFY(!Drop(*frame_, {one, two}));
    QVERIFY(!Drop(*frame_, {QUrl(QStringLiteral("https://www.example.com/mail.txt"))}));
    QVERIFY(frame_->Documents().isEmpty());
  }
};

}  // namespace quillora

QTEST_MAIN(quillora::frmQuillora_drop_test)
#include "frmQuillora_drop_test.moc"
