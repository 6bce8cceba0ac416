// Command ids, pane ids and the texts of every command of the main window.
#pragma once

#include <cstddef>

namespace cmd {

// The framework's standard commands and ours share one number space, as the
// menus and toolbars refer to them by number.
enum Id : int {
    New = 57600,
    Open = 57601,
    SaveAs = 57604,
    PrintSetup = 57606,
    Print = 57607,
    PrintPreview = 57609,
    RecentFile = 57616,
    About = 57664,
    Exit = 57665,
    ContextHelp = 57669,
    Help = 57670,

    Connect = 32771,
    Disconnect = 32772,
    Download = 32773,
    DataList = 32782,
    FileList = 32807,
    SaveExcel = 32819,
    SaveTxt = 32820,
    SaveBmp = 32826,
    OriginalView = 32827,
    Query = 32833,
    DeleteAll = 32836,
    Setup = 32844,
    SavePdf = 32860,
    SaveCsv = 32861,
    Summary = 32862,
    AlarmLimits = 32863,
};

// Separator marker in the menu and toolbar layouts below.
inline constexpr int Separator = 0;

struct CommandInfo {
    int id;
    const char* menuText;  // as the menu shows it; the text after "\t" is only a hint
    const char* prompt;    // status-bar text, then after "\n" the tool tip
    const char* caption;   // the caption under the toolbar icon (the prompt's short text)
    const char* icon;      // resource name under :/icons, or nullptr
};

inline constexpr CommandInfo Commands[] = {
    {Open, "Open(&O)...\tCtrl+O", "Open", "Open", "open.png"},
    {SaveAs, "Save As(&S)", "Save As\nSave As", "Save As", "saveas.png"},
    {SaveExcel, "Save To &Excel...\tCtrl+E", "EXCEL", "EXCEL", "excel.png"},
    {SaveTxt, "Save To &Txt...\tCtrl+T", "TXT", "TXT", "txt.png"},
    {SaveBmp, "Save To &BMP...\tCtrl+J", "BMP", "BMP", "bmp.png"},
    {SavePdf, "Save To PDF...", "Save the report and its summary page as a PDF file\nPDF", "PDF", nullptr},
    {SaveCsv, "Save To CSV...", "Save the records as a CSV file\nCSV", "CSV", nullptr},
    {Print, "Print(&P)...\tCtrl+P", "Print", "Print", "print.png"},
    {PrintPreview, "Print Preview(&V)", "Preview", "Preview", "preview.png"},
    {PrintSetup, "Printer Setup(&R)...", "Printer Setup\nPrinter Setup", "Printer Setup", nullptr},
    {RecentFile, "File List", "Open this document", "File List", nullptr},
    {Exit, "Exit(&X)", "Exit", "Exit", nullptr},
    {Connect, "Connect(&C)", "Connect", "Connect", "connect.png"},
    {Disconnect, "Disconnect(&D)", "Disconnect", "Disconnect", "disconnect.png"},
    {Setup, "Setup(&S)", "Setup", "Setup", "setup.png"},
    {Download, "Download(&L)", "Download", "Download", "download.png"},
    {DeleteAll, "Delete(&D)", "Delete", "Delete", "delete.png"},
    {FileList, "File List(&F)", "File List", "File List", "filelist.png"},
    {DataList, "Data List(&L)", "Data List", "Data List", "datalist.png"},
    {Query, "Query(&Q)", "Query", "Query", "query.png"},
    {Summary, "Summary", "Summary of the shown records: extremes, MKT, limits and excursions\nSummary", "Summary",
     nullptr},
    {AlarmLimits, "Alarm Limits...", "Set the alarm limits of the open log's logger\nAlarm Limits", "Alarm Limits",
     nullptr},
    {OriginalView, "Original View(100%)", "100%", "100%", nullptr},
    {About, "About(&A)...", "About", "About", "about.png"},
    {ContextHelp, "Help(&H)", "Help", "Help", "help.png"},
};

// Menu popups and toolbars, items in order, Separator between groups.
struct BarLayout {
    const char* title;
    int items[16];
    std::size_t count;
};

inline constexpr BarLayout MenuLayout[] = {
    {"File(&F)", {Open, SaveAs, Separator, SaveExcel, SaveTxt, SaveBmp, SavePdf, SaveCsv, Separator, Print,
                  PrintPreview, PrintSetup, Separator, RecentFile, Separator, Exit}, 16},
    {"Logger(&L)", {Connect, Disconnect, Separator, Setup, Separator, Download, DeleteAll}, 7},
    {"View(&V)", {FileList, DataList, Query, Summary, Separator, AlarmLimits, Separator, OriginalView}, 8},
    {"About(&A)", {About, ContextHelp}, 2},
};

inline constexpr BarLayout ToolbarLayout[] = {
    {"Standard", {Open, SaveAs, Print, PrintPreview, Separator, SaveExcel, SaveTxt, SaveBmp}, 8},
    {"COMM", {Connect, Disconnect, Separator, Setup, Separator, Download, DeleteAll}, 7},
    {"Help", {FileList, DataList, Query, Separator, About, ContextHelp}, 6},
};

}  // namespace cmd

namespace pane {

// Docking panes are known by the number of their title string.
enum Id : int {
    QueryId = 144,
    DataListId = 4000,
    SetupId = 4001,
    FileListId = 132,
    SummaryId = 4002,
};

// What ShowOnlyPane and currentPane call them.
enum Code : int {
    FileList = 1,
    Setup = 2,
    DataList = 3,
    Query = 4,
    Summary = 5,
};

}  // namespace pane
