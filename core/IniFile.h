#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// The settings file in memory. Section and key names match without regard to case; sections and keys the
// program does not know are kept, in their order, and the file is written back whole and atomically. The
// file is UTF-8.
class TIniFile {
public:
    // Longest value a read returns, in characters.
    static constexpr int kMaxValueLength = 2047;

    explicit TIniFile(const QString& sFileName);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;
    TIniFile(TIniFile&&) noexcept;
    TIniFile& operator=(TIniFile&&) noexcept;

    const QString& FileName() const { return FFileName; }

    // Reads the file. A missing file reads as an empty one; false when the file exists but cannot be read
    // (the contents are then empty).
    bool Load();
    // Reads the settings from the file's bytes instead; false (and the contents empty) when they cannot be
    // parsed.
    bool LoadFromData(QByteArray aData);
    // Writes every section to the file through a temporary file, so a failed write leaves the old file
    // whole. On failure sError is "Unable to write to <path>".
    bool Save(QString& sError) const;
    // The bytes Save writes; false when the contents cannot be written out.
    bool SaveToData(QByteArray& aData) const;

    bool SectionExists(const QString& sSection) const;
    bool ValueExists(const QString& sSection, const QString& sKey) const;
    // Section names as they stand in the file, in file order.
    QStringList ReadSections() const;
    // Key names of one section as they stand in the file, in file order.
    QStringList ReadSection(const QString& sSection) const;

    // The value, at most kMaxValueLength characters; sDefault when the key is missing.
    QString ReadString(const QString& sSection, const QString& sKey, const QString& sDefault) const;
    int ReadInteger(const QString& sSection, const QString& sKey, int iDefault) const;
    bool ReadBool(const QString& sSection, const QString& sKey, bool bDefault) const;
    double ReadFloat(const QString& sSection, const QString& sKey, double fDefault) const;

    // Sets one value, adding the section and key at the end when they are new. Line breaks in the value
    // become blanks, so a value can never add lines of its own to the file.
    void WriteString(const QString& sSection, const QString& sKey, const QString& sValue);
    void WriteInteger(const QString& sSection, const QString& sKey, int iValue);
    void WriteBool(const QString& sSection, const QString& sKey, bool bValue);
    void WriteFloat(const QString& sSection, const QString& sKey, double fValue);

    void DeleteKey(const QString& sSection, const QString& sKey);
    void EraseSection(const QString& sSection);

private:
    struct TData;
    QString FFileName;
    std::unique_ptr<TData> FData;
};
