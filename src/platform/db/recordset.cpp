#include "platform/db/recordset.h"

#include "platform/db/connection.h"
#include "platform/db/field_conversion.h"
#include "platform/db/object_errors.h"
#include "platform/variant.h"

#include <QRegularExpression>

namespace platform::db {

namespace {

// A source of one name ("MA_PANELCTA", "dbo.[AUX ERR]") names a table to read whole.
bool isBareTableName(const QString &source)
{
    static const QRegularExpression name(
        QStringLiteral(R"(^\s*(?:(?:\w+|\[[^\]]+\])\.){0,2}(?:\w+|\[[^\]]+\])\s*$)"),
        QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression keyword(QStringLiteral(R"(^\s*(select|exec|execute)\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return name.match(source).hasMatch() && !keyword.match(source).hasMatch();
}

bool writesRows(int lockType)
{
    return lockType == adLockPessimistic || lockType == adLockOptimistic
        || lockType == adLockBatchOptimistic;
}

} // namespace

// Field -------------------------------------------------------------------------------------

QString Field::name() const
{
    return m_recordset->m_rows.columns[m_index].name;
}

DataType Field::type() const
{
    return m_recordset->m_rows.columns[m_index].type;
}

int Field::definedSize() const
{
    return m_recordset->m_rows.columns[m_index].definedSize;
}

QVariant Field::value() const
{
    return m_recordset->currentValues()[m_index];
}

QVariant Field::originalValue() const
{
    if (m_recordset->m_editMode == adEditAdd)
        return nullVariant();
    m_recordset->requireCurrentRow();
    return m_recordset->m_rows.rows[m_recordset->m_position][m_index];
}

void Field::setValue(const QVariant &value)
{
    Recordset &recordset = *m_recordset;
    recordset.requireWritable();
    const std::optional<QVariant> converted = convertForField(value, type());
    if (!converted)
        raiseObjectError(ado::WrongValueType, fieldSource);
    if (recordset.m_editMode == adEditNone) {
        recordset.requireCurrentRow();
        recordset.m_editValues = recordset.m_rows.rows[recordset.m_position];
        recordset.m_changedColumns.clear();
        recordset.m_editMode = adEditInProgress;
    }
    recordset.m_editValues[m_index] = *converted;
    if (!recordset.m_changedColumns.contains(m_index))
        recordset.m_changedColumns.append(m_index);
}

// Fields ------------------------------------------------------------------------------------

int Fields::count() const
{
    return int(m_recordset->m_rows.columns.size());
}

Field Fields::item(int index) const
{
    if (index < 0 || index >= count())
        raiseObjectError(ado::ItemNotFound, recordsetSource);
    return Field(m_recordset, index);
}

Field Fields::item(const QString &name) const
{
    return item(indexOf(name));
}

int Fields::indexOf(const QString &name) const
{
    const QVector<Column> &columns = m_recordset->m_rows.columns;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Recordset ---------------------------------------------------------------------------------

Recordset::Recordset() = default;
Recordset::~Recordset() = default;
Recordset::Recordset(Recordset &&other) noexcept = default;
Recordset &Recordset::operator=(Recordset &&other) noexcept = default;

void Recordset::open(const QString &source, const std::shared_ptr<Connection> &connection,
                     int cursorType, int lockType, int)
{
    if (m_open)
        raiseObjectError(ado::ObjectOpen, recordsetSource);
    if (!connection || connection->state() != adStateOpen)
        raiseObjectError(ado::ConnectionUnusable, recordsetSource);
    connection->errors().clear();
    const QString sql
        = isBareTableName(source) ? QStringLiteral("SELECT * FROM ") + source.trimmed() : source;
    ExecutionResult result = connection->session().execute(sql, writesRows(lockType));
    if (result.failed())
        connection->raise(std::move(result.errors), recordsetSource);
    // A statement without rows leaves the recordset closed, as its ADO counterpart does.
    if (result.rowSet)
        adopt(std::move(*result.rowSet), connection, cursorType, lockType, source);
}

void Recordset::adopt(RowSet rows, const std::shared_ptr<Connection> &connection, int cursorType,
                      int lockType, const QString &source)
{
    m_rows = std::move(rows);
    m_connection = connection;
    m_cursorType = cursorType;
    m_lockType = lockType;
    m_source = source;
    m_open = true;
    m_position = 0;
    m_editMode = adEditNone;
    m_editValues.clear();
    m_changedColumns.clear();
}

void Recordset::close()
{
    requireOpen();
    if (m_editMode != adEditNone)
        raiseObjectError(ado::NotAllowedInContext, recordsetSource);
    m_open = false;
    m_rows = RowSet();
    m_connection.reset();
}

ObjectState Recordset::state() const
{
    return m_open ? adStateOpen : adStateClosed;
}

bool Recordset::bof() const
{
    requireOpen();
    if (m_editMode == adEditAdd)
        return false;
    return m_rows.rows.isEmpty() || m_position < 0;
}

bool Recordset::eof() const
{
    requireOpen();
    if (m_editMode == adEditAdd)
        return false;
    return m_rows.rows.isEmpty() || m_position >= m_rows.rows.size();
}

int Recordset::recordCount() const
{
    requireOpen();
    return int(m_rows.rows.size());
}

int Recordset::absolutePosition() const
{
    if (bof() || eof())
        return -1;
    return m_position + 1;
}

void Recordset::moveFirst()
{
    moveTo(0);
}

void Recordset::moveLast()
{
    moveTo(int(m_rows.rows.size()) - 1);
}

void Recordset::moveNext()
{
    if (eof())
        raiseObjectError(ado::NoCurrentRecord, recordsetSource);
    moveTo(m_position + 1);
}

void Recordset::movePrevious()
{
    if (bof())
        raiseObjectError(ado::NoCurrentRecord, recordsetSource);
    moveTo(m_position - 1);
}

// Leaving a row with a pending edit stores the edit first, as ADO does.
void Recordset::moveTo(int position)
{
    requireOpen();
    if (m_rows.rows.isEmpty())
        raiseObjectError(ado::NoCurrentRecord, recordsetSource);
    if (m_editMode != adEditNone)
        update();
    m_position = std::clamp(position, -1, int(m_rows.rows.size()));
}

QVector<QVector<QVariant>> Recordset::getRows()
{
    requireCurrentRow();
    QVector<QVector<QVariant>> values(m_rows.columns.size());
    for (; m_position < m_rows.rows.size(); ++m_position) {
        const QVector<QVariant> &row = m_rows.rows[m_position];
        for (int field = 0; field < row.size(); ++field)
            values[field].append(row[field]);
    }
    return values;
}

void Recordset::addNew()
{
    requireWritable();
    if (m_editMode != adEditNone)
        update();
    m_editValues = QVector<QVariant>(m_rows.columns.size());
    m_changedColumns.clear();
    m_editMode = adEditAdd;
}

void Recordset::update()
{
    requireOpen();
    if (m_editMode == adEditNone)
        return;
    m_connection->errors().clear();
    Session &session = m_connection->session();
    const bool adding = m_editMode == adEditAdd;
    WriteResult written = adding
        ? session.insertRow(*m_rows.target, m_rows.columns, m_changedColumns, m_editValues)
        : session.updateRow(*m_rows.target, m_rows.columns, m_rows.keys.value(m_position),
                            m_changedColumns, m_rows.rows[m_position], m_editValues);
    // A failed write leaves the edit pending, to be corrected or cancelled.
    if (written.failed())
        m_connection->raise(std::move(written.errors), recordsetSource);
    if (adding) {
        m_rows.rows.append(written.storedRow);
        m_rows.keys.append(written.key);
        m_position = int(m_rows.rows.size()) - 1;
    } else {
        m_rows.rows[m_position] = written.storedRow;
        m_rows.keys[m_position] = written.key;
    }
    cancelUpdate();
}

void Recordset::cancelUpdate()
{
    requireOpen();
    m_editMode = adEditNone;
    m_editValues.clear();
    m_changedColumns.clear();
}

void Recordset::requireOpen() const
{
    if (!m_open)
        raiseObjectError(ado::ObjectClosed, recordsetSource);
}

void Recordset::requireCurrentRow() const
{
    if (bof() || eof())
        raiseObjectError(ado::NoCurrentRecord, recordsetSource);
}

void Recordset::requireWritable() const
{
    requireOpen();
    if (!writesRows(m_lockType) || !m_rows.target)
        raiseObjectError(recordsetNotUpdatable, recordsetSource);
}

QVector<QVariant> &Recordset::currentValues()
{
    if (m_editMode != adEditNone)
        return m_editValues;
    requireCurrentRow();
    return m_rows.rows[m_position];
}

const QVector<QVariant> &Recordset::currentValues() const
{
    if (m_editMode != adEditNone)
        return m_editValues;
    requireCurrentRow();
    return m_rows.rows[m_position];
}

} // namespace platform::db
