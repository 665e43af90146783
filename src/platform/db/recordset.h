#pragma once

#include "platform/db/ado.h"
#include "platform/db/provider.h"

#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>

namespace platform::db {

class Connection;
class Recordset;

// One column of the current row.
class Field
{
public:
    QString name() const;
    DataType type() const;
    int definedSize() const;

    // Raises 3021 at BOF or EOF.
    QVariant value() const;
    QVariant originalValue() const;
    // Converts by the field's type; raises 3421 when the value cannot be converted.
    void setValue(const QVariant &value);

private:
    friend class Recordset;
    friend class Fields;
    Field(Recordset *recordset, int index) : m_recordset(recordset), m_index(index) { }

    Recordset *m_recordset;
    int m_index;
};

// The columns of a recordset, found by position or by name without regard to case.
class Fields
{
public:
    int count() const;
    Field item(int index) const;           // 3265 out of range
    Field item(const QString &name) const; // 3265 when no column has that name
    Field operator[](int index) const { return item(index); }
    Field operator[](const QString &name) const { return item(name); }
    int indexOf(const QString &name) const; // -1 when missing

private:
    friend class Recordset;
    explicit Fields(Recordset *recordset) : m_recordset(recordset) { }

    Recordset *m_recordset;
};

// A client-side recordset: fully fetched when it opens, so recordCount() is known at once and
// BOF and EOF are both true when it is empty. With an optimistic lock over one base table its
// rows can be edited, added and written back one at a time.
class Recordset
{
public:
    Recordset();
    ~Recordset();
    Recordset(Recordset &&other) noexcept;
    Recordset &operator=(Recordset &&other) noexcept;
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // The source is a query or a bare table name. 3705 when already open.
    void open(const QString &source, const std::shared_ptr<Connection> &connection,
              int cursorType = adOpenForwardOnly, int lockType = adLockReadOnly,
              int options = adOptionUnspecified);
    // 3704 when closed; 3219 while an edit or a new row is pending.
    void close();
    ObjectState state() const;

    int cursorType() const { return m_cursorType; }
    int lockType() const { return m_lockType; }
    QString source() const { return m_source; }

    bool bof() const;
    bool eof() const;
    int recordCount() const;
    int absolutePosition() const; // 1-based; -1 at BOF or EOF (adPosUnknown)
    void moveFirst();
    void moveLast();
    void moveNext();     // 3021 at EOF
    void movePrevious(); // 3021 at BOF

    Fields fields() { return Fields(this); }
    Field field(const QString &name) { return fields().item(name); }
    Field field(int index) { return fields().item(index); }

    // The rows from the current one to the end, as values[field][row]; the current row
    // becomes EOF.
    QVector<QVector<QVariant>> getRows();

    EditMode editMode() const { return m_editMode; }
    void addNew();
    void update(); // writes the pending edit or new row at once
    void cancelUpdate();

private:
    friend class Field;
    friend class Fields;
    friend class Connection;

    void adopt(RowSet rows, const std::shared_ptr<Connection> &connection, int cursorType,
               int lockType, const QString &source);
    void requireOpen() const;
    void requireCurrentRow() const;
    void requireWritable() const;
    void moveTo(int position);
    QVector<QVariant> &currentValues();
    const QVector<QVariant> &currentValues() const;

    std::shared_ptr<Connection> m_connection;
    RowSet m_rows;
    QString m_source;
    int m_cursorType = adOpenForwardOnly;
    int m_lockType = adLockReadOnly;
    bool m_open = false;
    int m_position = 0; // index of the current row; -1 is BOF, rows.size() is EOF
    EditMode m_editMode = adEditNone;
    QVector<QVariant> m_editValues; // the pending row while editing or adding
    QVector<int> m_changedColumns;
};

} // namespace platform::db
