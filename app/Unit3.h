#pragma once
#include "platform/ui/Forms.h"
#include "store/DB.h"
#include "store/DBTables.h"

// The schedule store: the day-filtered table, the month summary query and its data source.
class TDataModule3 : public TDataModule {
    AGENDIX_CLASS(TDataModule3)
    explicit TDataModule3(TComponent* AOwner);

    TTable* Table1 = nullptr;
    TStringField* Table1Year = nullptr;
    TStringField* Table1Month = nullptr;
    TStringField* Table1Day = nullptr;
    TStringField* Table1Time = nullptr;
    TStringField* Table1StartTime = nullptr;
    TStringField* Table1EndTime = nullptr;
    TStringField* Table1TiTle = nullptr;
    TStringField* Table1MemoFile = nullptr;
    TQuery* Query1 = nullptr;
    TStringField* Query1Year = nullptr;
    TStringField* Query1Month = nullptr;
    TStringField* Query1Day = nullptr;
    TIntegerField* Query1DayCnt = nullptr;
    TStringField* Query1Msg = nullptr;
    TDataSource* DataSource1 = nullptr;

    void Table1FilterRecord(TDataSet* DataSet, bool& Accept);
    // Tells the engine which texts the day filter accepts, so it reads only that day's rows.
    void Table1FilterKeys(TDataSet* DataSet, std::vector<TFilterKey>& Keys);
    void Query1CalcFields(TDataSet* DataSet);
};

extern TDataModule3* DataModule3;
