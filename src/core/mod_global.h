#pragma once

#include "platform/variant.h"

#include <QString>
#include <cstdint>

// The global module's program-wide settings: each lives for the whole process, is written by
// the start-up steps that own it and read wherever it is needed.
namespace core {

// ---- Who runs the program -------------------------------------------------------------------

// The suite user of this run; the database user once the main connection is open.
inline QString gUsuarioLogeado;

// This user on this computer: upper-case machine name, "|", upper-case user name, at most 50
// characters. It keys the user's work rows and the settings-file section.
inline QString gEstacionUsuario;

// Start-up parameters: the additional parameter ("CFG_" and a definition name opens that
// definition) and the cash desk, both passed on to the sibling programs this one starts.
inline QString gParametroAdicional;
inline QString gCaja;
inline QString gMenu;

// ---- Start-up settings ----------------------------------------------------------------------

// Command time-out of the main connection in seconds, kept in the statistics database.
inline std::int16_t gTimeOut = 360;

// The connection text the report engine prints with: "DSN=<database>; UID=<user>; PWD=<password>".
inline QString gConexionODBC;

// The folder where the report engine finds its templates: the program folder.
inline QString gCarpetaReportes;

// The program's help file.
inline QString gHelpFile;

// The toolbar style of the settings file's "FlatToolbars" key.
inline double gFlatToolbars = 1;

// ---- Configuration store --------------------------------------------------------------------

// The configuration table every configuration statement names; blank until first used.
inline QString gTablaConfiguracion;

// ---- Window colours -------------------------------------------------------------------------

inline std::int32_t gColorFondo = 0xFFFFFF;
inline std::int32_t gColorLetra = 0;

// ---- Settings loaded from the configuration at start-up -------------------------------------

// Read by the number formatter and by the confidentiality rewrite of the data layer.
inline QString gCantidadDecimales;
inline bool gSSConfidencialidad = false;

// Lookups and documents.
inline bool gMostrarStockEnConsultas = false;
inline QString gTituloClientes;
inline QString gTituloProveedores;
inline QString gArchivoTareas; // the task-documents file in the program folder
inline bool gExigeClaveConsultaLikeArticulos = false;
inline bool gUsaConsultaLike = false;
inline QString gTopDefault;

// Sales, stock and units of measure.
inline bool gUsaMultiplesMonedas = false;
inline bool gUsaFacturaProforma = false; // narrowed by the logged user's own permission
inline bool gUsaCCosto = false;
inline bool gUsaStockUdKg = false;
inline QString gUnidadMedidaM3;
inline QString gUnidadMedidaBL;
inline QString gUnidadMedidaKG;
inline std::int16_t gPeriodo = 0;
inline bool gRazonSocialPorUNeg = false;
inline bool gValidaCodigoBarra = false;
inline bool gModuloOrdenDeTrabajo = false;
inline bool gVModificaCPrecio = false;
inline bool gCModificaCPrecio = false;
inline std::int16_t gCondIvaEmpresa = 0;

// Timber trade units.
inline bool gMaderera = false;
inline QString gMadTiras;
inline QString gMadP2;
inline QString gMadML;
inline QString gMadM2;
inline QString gMadHojas;
inline QString gMadMLP2;
inline QString gMadM2P2;
inline QString gMadMLM2;
inline QString gCuentaCtroDist;

// Discount limits and the operations that ask for a supervisor's password.
inline platform::Currency gMaxDto;
inline platform::Currency gMaxDtoProforma;
inline bool gPideClaveStockNeg = false;
inline bool gPideClaveMarkUpBase = false;
inline bool gPideClaveLimiteCredito = false;

// Locks, dates and batch assignment.
inline bool gSSBloqueoActivo = false;
inline bool gUtilizarFechaDia = false;
inline bool gAsignacionAutomaticaDeLoteIng = false;
inline bool gAsignacionAutomaticaDeLoteIngOP = false;

// The logged user's business unit; "   1" when the user has none.
inline QString gUNegocioUsuario;

// Set once the configuration has been loaded.
inline bool gConfiguracionCargada = false;

} // namespace core
