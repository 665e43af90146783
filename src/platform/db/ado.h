#pragma once

#include <cstdint>

// The numbers of the database object model: ADO's enumerations and error numbers, the OLE DB
// result codes, and the SQL Server native numbers the program branches on.
namespace platform::db {

enum DataType : int {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adBoolean = 11,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18,
    adUnsignedInt = 19,
    adBigInt = 20,
    adUnsignedBigInt = 21,
    adFileTime = 64,
    adGUID = 72,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adDBFileTime = 137,
    adVarNumeric = 139,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

enum CursorLocation : int { adUseServer = 2, adUseClient = 3 };
enum CursorType : int {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockType : int {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};
enum ObjectState : int { adStateClosed = 0, adStateOpen = 1 };
enum EditMode : int { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2 };
enum Schema : int { adSchemaColumns = 4, adSchemaTables = 20 };
enum IsolationLevel : int { adXactReadUncommitted = 256 };
inline constexpr int adOptionUnspecified = -1;

// ADO's own error numbers.
namespace ado {
inline constexpr std::int32_t NotAllowedInContext = 3219; // also: close with a pending edit
inline constexpr std::int32_t ObjectClosed = 3704;
inline constexpr std::int32_t ObjectOpen = 3705;
inline constexpr std::int32_t ConnectionUnusable = 3709;
inline constexpr std::int32_t NoCurrentRecord = 3021; // BOF or EOF
inline constexpr std::int32_t ItemNotFound = 3265;
inline constexpr std::int32_t WrongValueType = 3421;
inline constexpr std::int32_t RowNotLocated = -2147217864; // 0x80040E38, row changed or gone
} // namespace ado

// OLE DB result codes, as signed 32-bit values.
namespace hresult {
inline constexpr std::int32_t E_Fail = -2147467259; // 0x80004005, lost link
inline constexpr std::int32_t ErrorsInCommand = -2147217900; // 0x80040E14
inline constexpr std::int32_t IntegrityViolation = -2147217873; // 0x80040E2F
inline constexpr std::int32_t NoTable = -2147217865; // 0x80040E37
inline constexpr std::int32_t DataOverflow = -2147217833; // 0x80040E57
inline constexpr std::int32_t CantConvertValue = -2147217913; // 0x80040E07
inline constexpr std::int32_t AbortLimitReached = -2147217871; // 0x80040E31, timeout
inline constexpr std::int32_t AuthenticationFailed = -2147217843; // 0x80040E4D
inline constexpr std::int32_t NotSupported = -2147217887; // 0x80040E21
inline constexpr std::int32_t NoResult = 265929; // 0x00040EC9, a success code
} // namespace hresult

// SQL Server native error numbers.
namespace native {
inline constexpr std::int32_t StatementTerminated = 3621;
inline constexpr std::int32_t SyntaxError = 102;
inline constexpr std::int32_t InvalidColumn = 207;
inline constexpr std::int32_t InvalidObject = 208;
inline constexpr std::int32_t DateOutOfRange = 242;
inline constexpr std::int32_t ConversionFailed = 245;
inline constexpr std::int32_t NullNotAllowed = 515;
inline constexpr std::int32_t ExplicitIdentityValue = 544;
inline constexpr std::int32_t ReferenceConflict = 547;
inline constexpr std::int32_t DatabaseNotFound = 911;
inline constexpr std::int32_t DatabaseExists = 1801;
inline constexpr std::int32_t CreateDatabaseFailed = 1802;
inline constexpr std::int32_t IndexExists = 1913;
inline constexpr std::int32_t LockTimeout = 1222;
inline constexpr std::int32_t DuplicateKey = 2627;
inline constexpr std::int32_t DuplicateIndexKey = 2601;
inline constexpr std::int32_t ObjectExists = 2714;
inline constexpr std::int32_t UnknownProcedure = 2812;
inline constexpr std::int32_t NoTransactionToCommit = 3902;
inline constexpr std::int32_t NoTransactionToRollback = 3903;
inline constexpr std::int32_t CannotOpenDatabase = 4060;
inline constexpr std::int32_t MoneyOverflow = 8115;
inline constexpr std::int32_t InvalidOperand = 8117;
inline constexpr std::int32_t DivideByZero = 8134;
inline constexpr std::int32_t StringTruncated = 8152;
inline constexpr std::int32_t LoginDatabaseMissing = 15010;
inline constexpr std::int32_t LoginExists = 15025;
inline constexpr std::int32_t LoginFailed = 18456;
inline constexpr std::int32_t Unsupported = 50000;
} // namespace native

} // namespace platform::db
