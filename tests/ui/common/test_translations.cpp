// Qt's own dialogs and widgets speak Russian once the translations are in.
#include "common/translations.h"

#include <QApplication>
#include <QColorDialog>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include <memory>

class TestTranslations : public QObject {
    Q_OBJECT

  private slots:
    void qtTextsComeInRussian() {
        QVERIFY(besedka::installRussianTranslations(*qApp));
        QCOMPARE(QColorDialog::tr("Select Color"), QStringLiteral("Выбор цвета"));
        // The input field's context menu.
        QLineEdit field;
        field.setText(QStringLiteral("текст"));
        std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList captions;
        for (const QAction* action : menu->actions()) {
            captions << action->text();
        }
        QVERIFY2(captions.join(u'|').contains(QStringLiteral("Копировать")),
                 qPrintable(captions.join(u'|')));
    }
};

QTEST_MAIN(TestTranslations)
#include "test_translations.moc"
