#include <algorithm>

#include "store/DB.h"

const TClassInfo& TDataSource::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TDataSource>("TDataSource", &TComponent::StaticClassInfo())
            .Creatable()
            .Bool("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit, true)
            .Ref<TDataSet>("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
            .Bool("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled, true)
            .Event("OnDataChange", &TDataSource::OnDataChange)
            .Event("OnStateChange", &TDataSource::OnStateChange)
            .Build();
    return Info;
}

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    for (TDataLink* L : FLinks) L->FDataSource = nullptr;
    FLinks.clear();
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet) return;
    if (FDataSet) {
        auto& L = FDataSet->FDataSources;
        L.erase(std::remove(L.begin(), L.end(), this), L.end());
    }
    FDataSet = Value;
    if (FDataSet) FDataSet->FDataSources.push_back(this);
    NotifyActive();
}

void TDataSource::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    NotifyActive();
}

void TDataSource::NotifyActive() {
    for (TDataLink* L : std::vector<TDataLink*>(FLinks)) L->UpdateState();
    if (OnStateChange) OnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent Event, TField* Field, int Info) {
    if (!FEnabled) return;
    if (Event == deUpdateState) {
        NotifyActive();
        return;
    }
    for (TDataLink* L : std::vector<TDataLink*>(FLinks)) L->Event(Event, Field, Info);
    if (OnDataChange && Event != deRecordChange) OnDataChange(this, Field);
}

TDataLink::~TDataLink() {
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == FDataSource) return;
    if (FDataSource) {
        auto& L = FDataSource->FLinks;
        L.erase(std::remove(L.begin(), L.end(), this), L.end());
    }
    FDataSource = Value;
    if (FDataSource) FDataSource->FLinks.push_back(this);
    UpdateState();
}

void TDataLink::UpdateState() {
    bool NowActive = FDataSource && FDataSource->State() != dsInactive;
    if (NowActive != FActive) {
        FActive = NowActive;
        ActiveChanged();
    }
    bool NowEditing = FActive && (FDataSource->State() == dsEdit || FDataSource->State() == dsInsert);
    if (NowEditing != FEditing) {
        FEditing = NowEditing;
        EditingChanged();
    }
}

void TDataLink::Event(TDataEvent Event, TField* Field, int Info) {
    if (!FActive) return;
    switch (Event) {
        case deRecordChange:
            RecordChanged(Field);
            break;
        case deDataSetChange:
            DataSetChanged();
            break;
        case deDataSetScroll:
            DataSetScrolled(Info);
            break;
        case deUpdateState:
            UpdateState();
            break;
    }
}
