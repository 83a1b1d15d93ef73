#pragma once

#include <QImage>
#include <QMap>
#include <QString>
#include <QStringList>

// Every built-in picture, painted and ready to be written: the skin reduced to 256 colours with
// its key pixels marked, and the button and knob pictures cut from the same deck so that their
// corners match the skin around them.
class PictureSet
{
public:
    void paint();
    const QMap<QString, QImage> &pictures() const { return m_pictures; }

    // Writes every picture into the folder; false (with the reasons) when one cannot be written.
    bool save(const QString &folder, QStringList &problems) const;
    // Reads the pictures of a folder back.
    static QMap<QString, QImage> load(const QString &folder);

private:
    QMap<QString, QImage> m_pictures;
};
