#include "app/Unit3.h"

#include "Unit3.form.h"
#include "app/Unit1.h"

TDataModule3* DataModule3 = nullptr;

const TClassInfo& TDataModule3::StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TDataModule3>("TDataModule3", &TDataModule::StaticClassInfo())
                                       .Creatable()
                                       .InheritAll()
                                       .Field("Table1", &TDataModule3::Table1)
                                       .Field("Table1Year", &TDataModule3::Table1Year)
                                       .Field("Table1Month", &TDataModule3::Table1Month)
                                       .Field("Table1Day", &TDataModule3::Table1Day)
                                       .Field("Table1Time", &TDataModule3::Table1Time)
                                       .Field("Table1StartTime", &TDataModule3::Table1StartTime)
                                       .Field("Table1EndTime", &TDataModule3::Table1EndTime)
                                       .Field("Table1TiTle", &TDataModule3::Table1TiTle)
                                       .Field("Table1MemoFile", &TDataModule3::Table1MemoFile)
                                       .Field("Query1", &TDataModule3::Query1)
                                       .Field("Query1Year", &TDataModule3::Query1Year)
                                       .Field("Query1Month", &TDataModule3::Query1Month)
                                       .Field("Query1Day", &TDataModule3::Query1Day)
                                       .Field("Query1DayCnt", &TDataModule3::Query1DayCnt)
                                       .Field("Query1Msg", &TDataModule3::Query1Msg)
                                       .Field("DataSource1", &TDataModule3::DataSource1)
                                       .Method("Table1FilterRecord", &TDataModule3::Table1FilterRecord)
                                       .Method("Table1FilterKeys", &TDataModule3::Table1FilterKeys)
                                       .Method("Query1CalcFields", &TDataModule3::Query1CalcFields)
                                       .Build();
    return Info;
}

TDataModule3::TDataModule3(TComponent* AOwner) : TDataModule(AOwner) { SetFormResource(kUnit3_form); }

// The day filter: a row is visible exactly when its year, month and day texts equal the main
// window's current date strings, byte for byte.
void TDataModule3::Table1FilterRecord(TDataSet* DataSet, bool& Accept) {
    Accept = DataSet->FieldByName("Year")->AsString() == Form1->Str_CurrYear &&
             DataSet->FieldByName("Month")->AsString() == Form1->Str_CurrMonth &&
             DataSet->FieldByName("Day")->AsString() == Form1->Str_CurrDay;
}

void TDataModule3::Table1FilterKeys(TDataSet* DataSet, std::vector<TFilterKey>& Keys) {
    Keys = {{"Year", Form1->Str_CurrYear}, {"Month", Form1->Str_CurrMonth}, {"Day", Form1->Str_CurrDay}};
}

void TDataModule3::Query1CalcFields(TDataSet* DataSet) {
    if (DataSet->RecordCount() == 0) return;
    DataSet->FieldByName("Msg")->SetAsString("총 " + DataSet->FieldByName("DayCnt")->AsString() + " 건의 일정이 있습니다.");
}
