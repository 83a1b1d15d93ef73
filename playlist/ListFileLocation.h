#pragma once

#include <QString>

// Where the list file lives: beside the program, or in the user's data folder when the program's
// folder cannot be written (an installed program). In the second case a list that only exists
// beside the program is read once and then saved to the data folder.
class ListFileLocation
{
public:
    static constexpr auto fileName = "filelist.inf";

    ListFileLocation(const QString &programFolder, const QString &dataFolder);
    // The program's folder and QStandardPaths::AppDataLocation.
    static ListFileLocation forThisProgram();

    QString readPath() const { return m_readPath; }
    QString writePath() const { return m_writePath; }

private:
    QString m_readPath;
    QString m_writePath;
};
