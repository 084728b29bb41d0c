#pragma once
#include <QString>

namespace rek2 {

// The settings fields that start-up fills and every action reads.
struct Settings {
    QString tipBaze;               // FTipBaze
    QString nazivIzp;              // FNazivIzp
    QString naslovIzp;             // FNaslovIzp
    QString dvsIzp;                // FDvsIzp
    QString odgovOsb;              // FOdgovOsb
    QString odgovOsbTel;           // FOdgovOsbTel
    QString vplPodrcn;             // FVplPodrcn
    QString danZacetka;            // FDanZacetka, dd.mm.yyyy
    QString iniOdgovornaOseba;     // FIniOdgovornaOseba
    QString iniOdgovornaOsebaTel;  // FIniOdgovornaOsebaTel
    QString xmlPath;               // FXMLPath, absolute, ends with '/'
    QString xmlArhiv;              // FXMLArhiv
    QString xmlPathIni;            // FXMLPathIni, as written
    QString xmlArhivIni;           // FXMLArhivIni
    QString sfDogDvcOdt;           // FSfDogDvcOdt, e.g. 'X1','X2'
    int debug = 0;                 // FDebug
    bool hasBrutoDiv = false;      // FHasBrutoDiv
    bool rek5700NeRez = false;     // FREK_5700_neRez
    bool t2s = false;              // FT2S
    bool kopirano = false;         // FKopirano

    // The settings file overrides the database for the responsible person and phone.
    QString effectiveOdgovOsb() const { return iniOdgovornaOseba.isEmpty() ? odgovOsb : iniOdgovornaOseba; }
    QString effectiveOdgovOsbTel() const { return iniOdgovornaOsebaTel.isEmpty() ? odgovOsbTel : iniOdgovornaOsebaTel; }
};

} // namespace rek2
