#include "ui/login/TfmLogin.h"

#include "common/CjkFont.h"
#include "common/EventGuard.h"
#include "common/Exception.h"
#include "common/Helpers.h"
#include "common/MessagePresenter.h"
#include "common/ktNetUtils.h"
#include "config/TktIni.h"
#include "controls/TSupGrids.h"
#include "data/TdmMain.h"
#include "ui/login/SystemDrive.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHostInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>

namespace NS = NodeShiftSettings;

namespace {

const QString HintText = QStringLiteral("（注意！基本信息搬移前请退出所有Ledgerine应用软件，搬移后再进入）");
const QString ConnectFailedText = QStringLiteral("未能连接到后台服务器，请检查网络或后台服务器设置！");
const QString EmptyFolderText = QStringLiteral("【数据备份目录】为空，请输入！");
const QString MissingFolderText = QStringLiteral("【数据备份目录】找不到,请确认路径输入正确!");
const QString SystemDriveText = QStringLiteral("【数据备份目录】为系统盘。建议备份到非系统盘!\r\n\r\n"
                                               " 选 【是】修改备份路径，备份到非系统盘！\r\n"
                                               " 选 【否】不修改备份路径，继续备份到系统盘！");
const QColor EditFocusColor(0, 255, 255);
constexpr int MinGridRows = 7; // the header and six data rows

// The picture beside the server name: a database drum.
QPixmap DatabasePicture()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor side(40, 110, 190);
    const QColor edge = side.darker(160);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(side);
    painter.drawRect(QRectF(4.5, 8.5, 23, 17));
    painter.drawEllipse(QRectF(4.5, 21.5, 23, 8));
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(5, 9, 22, 17));
    painter.setPen(QPen(edge, 1));
    painter.setBrush(Qt::NoBrush);
    for (const qreal top : { 10.5, 16.5 })
        painter.drawArc(QRectF(4.5, top, 23, 8), 180 * 16, 180 * 16);
    painter.setBrush(side.lighter(150));
    painter.drawEllipse(QRectF(4.5, 4.5, 23, 8));
    return picture;
}

// The font of the label, made smaller until its text fits the label's width.
void FitText(QLabel* label)
{
    QFont font = label->font();
    while (font.pixelSize() > 9 && QFontMetrics(font).horizontalAdvance(label->text()) > label->width())
        font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
}

QLabel* NewLabel(QWidget* parent, const QString& name, int left, int top, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// A panel with a raised inner and a lowered outer bevel: an etched box.
QFrame* NewBevelPanel(QWidget* parent, const QString& name, const QRect& geometry)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setGeometry(geometry);
    return panel;
}

QPushButton* NewButton(QWidget* parent, const QString& name, const QRect& geometry, const QString& text,
    QStyle::StandardPixmap glyph)
{
    auto* button = new QPushButton(parent->style()->standardIcon(glyph), text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    // Enter clicks the focused button alone (keyPressEvent): no button is the dialog's default.
    button->setAutoDefault(false);
    return button;
}

QLineEdit* NewEdit(QWidget* parent, const QString& name, const QRect& geometry)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    return edit;
}

// The application server answers its log-on calls with a variant that must read as a boolean.
bool VariantToBool(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toDouble() != 0;
    case QMetaType::QString: {
        const QString text = Trim(value.toString());
        int number = 0;
        if (SameText(text, QStringLiteral("True")))
            return true;
        if (SameText(text, QStringLiteral("False")))
            return false;
        if (TryStrToInt(text, number))
            return number != 0;
        break;
    }
    default:
        break;
    }
    const QString type = value.isNull() ? QStringLiteral("Null") : QString::fromLatin1(value.typeName());
    throw Exception(QStringLiteral("Could not convert variant of type (%1) into type (Boolean)").arg(type));
}

QVariant CallAppServer(const QString& name, QVariantList args)
{
    return dmMain()->cnNet->AppServer()->Call(name, args);
}

} // namespace

TfmLogin::TfmLogin(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    CreateComponents();
    SetTabOrder();
    Guarded([this] { FormCreate(); });
}

TfmLogin::~TfmLogin() = default;

void TfmLogin::CreateComponents()
{
    setObjectName(QStringLiteral("fmLogin"));
    setWindowTitle(QStringLiteral("登录数据库服务器"));
    setFont(CjkFont());
    setFixedSize(384, 318);

    pTop = new QWidget(this);
    pTop->setObjectName(QStringLiteral("pTop"));
    pTop->setGeometry(0, 0, 384, 92);
    Image1 = new QLabel(pTop);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 25, 32, 32);
    Image1->setPixmap(DatabasePicture());
    pInput = NewBevelPanel(pTop, QStringLiteral("pInput"), { 56, 13, 217, 51 });
    Label1 = NewLabel(pInput, QStringLiteral("Label1"), 8, 22, QStringLiteral("服务器名称"));
    edServerName = NewEdit(pInput, QStringLiteral("edServerName"), { 72, 18, 134, 20 });
    btnCancel = NewButton(pTop, QStringLiteral("btnCancel"), { 280, 41, 75, 24 }, QStringLiteral("放弃"),
        QStyle::SP_DialogCancelButton);
    btnConn = NewButton(pTop, QStringLiteral("btnConn"), { 280, 12, 75, 25 }, QStringLiteral("连接"),
        QStyle::SP_DialogApplyButton);

    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(0, 92, 384, 226);
    Label2 = NewLabel(Panel2, QStringLiteral("Label2"), 5, 0, QStringLiteral("连接成功，请选择账套："));
    lbHint = new QLabel(Panel2);
    lbHint->setObjectName(QStringLiteral("lbHint"));
    lbHint->setGeometry(5, 14, 372, 12);
    QPalette hintPalette = lbHint->palette();
    hintPalette.setColor(QPalette::WindowText, QColor(250, 22, 16));
    lbHint->setPalette(hintPalette);

    gProfile = new TSupGrids(Panel2);
    gProfile->setObjectName(QStringLiteral("gProfile"));
    gProfile->setGeometry(4, 30, 365, 131);
    gProfile->SetOptions(TStringGrid::goFixedVertLine | TStringGrid::goFixedHorzLine | TStringGrid::goVertLine
        | TStringGrid::goHorzLine | TStringGrid::goColSizing | TStringGrid::goRowSelect);
    gProfile->SetColCount(3);
    gProfile->SetRowCount(10);
    gProfile->SetDefaultRowHeight(17);
    gProfile->SetColWidths(0, 30);
    gProfile->SetColWidths(1, 147);
    gProfile->SetColWidths(2, 164);
    gProfile->SetCells(0, 0, QStringLiteral("编号"));
    gProfile->SetCells(1, 0, QStringLiteral("账套名称"));
    gProfile->SetCells(2, 0, QStringLiteral("数据库名称"));

    btnSelect = NewButton(Panel2, QStringLiteral("btnSelect"), { 285, 176, 75, 24 },
        QStringLiteral("选择账套"), QStyle::SP_DialogOkButton);
    Panel1 = NewBevelPanel(Panel2, QStringLiteral("Panel1"), { 4, 167, 182, 43 });
    Label5 = NewLabel(Panel1, QStringLiteral("Label5"), 7, 5, QStringLiteral("数据备份目录"));
    edBackupDir = NewEdit(Panel1, QStringLiteral("edBackupDir"), { 7, 18, 168, 20 });

    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnConn, &QPushButton::clicked, this, [this] { Guarded([this] { btnConnClick(); }); });
    connect(btnSelect, &QPushButton::clicked, this, [this] { Guarded([this] { btnSelectClick(); }); });
    connect(gProfile, &TSupGrids::OnDblClick, this, [this] { Guarded([this] { gProfileDblClick(); }); });
    connect(gProfile, &TSupGrids::OnKeyPress, this,
        [this](QChar& key) { Guarded([&] { gProfileKeyPress(key); }); });
}

void TfmLogin::SetTabOrder()
{
    const QList<QWidget*> order { edServerName, btnCancel, btnConn, btnSelect, gProfile, edBackupDir };
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TfmLogin::FormCreate()
{
    lbHint->setText(HintText);
    FitText(lbHint); // at 12 px the text is wider than its label in most CJK fonts

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    }
    // Qt sizes the client area; the frame is the window manager's. The top edge stays put.
    FFullHeight = height();
    setFixedHeight(pTop->height());

    edServerName->installEventFilter(this); // EditEnter, EditExit, EditKeyPress
    edBackupDir->installEventFilter(this); // EditEnter, EditExit

    edServerName->setText(KtIni()->ReadString(NS::Section, NS::ServerName, NS::DefaultServerName));
    edBackupDir->setText(KtIni()->ReadString(NS::Section, NS::BackupDir, NS::DefaultBackupDir));

    gProfile->SortEnabled = false;
    edServerName->setFocus();
}

bool TfmLogin::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || (edit != edServerName && edit != edBackupDir))
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        Guarded([&] { EditEnter(edit); });
        break;
    case QEvent::FocusOut: {
        // Another window (a message box) taking the focus is no leaving of the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Guarded([&] { EditExit(edit); });
        break;
    }
    case QEvent::KeyPress: {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (edit == edServerName && !text.isEmpty()) {
            QChar key = text.front();
            Guarded([&] { EditKeyPress(edit, key); });
            if (key.isNull())
                return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmLogin::keyPressEvent(QKeyEvent* event)
{
    // Enter clicks the button that has the focus, as on the platform; elsewhere it does nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
            button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfmLogin::EditEnter(QLineEdit* edit)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, EditFocusColor);
    edit->setPalette(palette);
}

void TfmLogin::EditExit(QLineEdit* edit)
{
    edit->setPalette(QPalette());
}

void TfmLogin::EditKeyPress(QLineEdit*, QChar& key)
{
    if (key != QChar(u'\r'))
        return;
    key = QChar();
    focusNextPrevChild(true); // as Tab would
}

void TfmLogin::btnConnClick()
{
    edServerName->setText(Trim(edServerName->text()));
    if (edServerName->text().isEmpty()) {
        edServerName->setFocus();
        return;
    }
    bool listed = false;
    {
        const bool hadFocus = btnConn->hasFocus();
        WaitCursorOn();
        btnConn->setEnabled(false);
        const auto restore = qScopeGuard([&] {
            btnConn->setEnabled(true);
            if (hadFocus && !listed)
                btnConn->setFocus(); // disabling it moved the focus on
            WaitCursorOff();
        });
        if (ConnectAppServer()) {
            KtIni()->WriteString(NS::Section, NS::ServerName, edServerName->text());
            try {
                LoadAccountSets();
                listed = true;
            } catch (const EAbort&) {
            } catch (const Exception& e) {
                ShowError(e.message());
            }
        }
    }
    if (!listed)
        return;
    if (height() < FFullHeight)
        setFixedHeight(FFullHeight);
    gProfile->setFocus();
}

bool TfmLogin::ConnectAppServer()
{
    TdmMain* dm = dmMain();
    TSocketConnection* cn = dm->cnNet;
    if (cn->Connected() && FLoggedOn)
        return true;
    if (!cn->Connected())
        OpenConnection();
    FLoggedOn = LogOnToAppServer();
    return FLoggedOn;
}

void TfmLogin::OpenConnection()
{
    TdmMain* dm = dmMain();
    TSocketConnection* cn = dm->cnNet;
    const QString serverName = Trim(edServerName->text());
    edServerName->setText(serverName);
    try {
        cn->SetAddress(QString());
        cn->SetHost(QString());
        if (IsIPAddress(serverName))
            cn->SetAddress(serverName);
        else
            cn->SetHost(serverName);
        cn->Open();
    } catch (...) {
        throw Exception(ConnectFailedText);
    }
    if (!cn->Connected())
        throw Exception(ConnectFailedText);
    dm->FServerName = serverName;
}

bool TfmLogin::LogOnToAppServer()
{
    CallAppServer(QStringLiteral("KeepConnection"), { 0 });
    QString computerName;
    QString address;
    try {
        computerName = GetLocalComputerName();
        address = GetLocalIPAddress();
    } catch (...) {
        // the server is told what could be found
    }
    if (!VariantToBool(CallAppServer(QStringLiteral("ConnectDb"), { computerName, address })))
        return false;
    return VariantToBool(CallAppServer(QStringLiteral("ChangeDb"), { QStringLiteral("master") }));
}

void TfmLogin::LoadAccountSets()
{
    QStringList lines;
    FetchAccountSets(lines);
    ClearAccountSetGrid();
    gProfile->SetRowCount(std::max<int>(lines.size() + 1, MinGridRows));
    const QString stored = KtIni()->ReadString(NS::Section, NS::DatabaseName, QString());
    int chosen = -1;
    for (int i = 1; i <= lines.size(); ++i) {
        const QString& line = lines[i - 1];
        const qsizetype split = line.indexOf(u'=');
        const QString dbName = split < 0 ? QString() : line.left(split);
        gProfile->SetCells(0, i, QString::number(i));
        gProfile->SetCells(2, i, dbName);
        gProfile->SetCells(1, i, line.mid(split + 1));
        if (SameText(dbName, stored))
            chosen = i;
    }
    if (chosen > 0)
        gProfile->SetRow(chosen);
}

void TfmLogin::FetchAccountSets(QStringList& list)
{
    CallAppServer(QStringLiteral("GetZt"), { 0, QString() });
    TClientDataSet accountSets;
    accountSets.SetRemoteServer(dmMain()->FRemoteServer);
    accountSets.SetProviderName(QStringLiteral("pv_sp_Open"));
    accountSets.SetFilter(QString());
    accountSets.Params().clear();
    accountSets.Open();
    for (accountSets.First(); !accountSets.Eof(); accountSets.Next()) {
        list.append(Trim(accountSets.FieldByName(QStringLiteral("DBNAME")).AsString()) + u'='
            + Trim(accountSets.FieldByName(QStringLiteral("FULLNAME")).AsString()));
    }
    accountSets.Close();
}

void TfmLogin::ClearAccountSetGrid()
{
    for (int row = 1; row < gProfile->RowCount(); ++row) {
        for (int col = 0; col <= 2; ++col)
            gProfile->SetCells(col, row, QString());
    }
}

QString TfmLogin::GetSelectedDatabaseName() const
{
    return gProfile->Cells(2, gProfile->Row());
}

void TfmLogin::gProfileDblClick()
{
    btnSelectClick();
}

void TfmLogin::gProfileKeyPress(QChar& key)
{
    if (key != QChar(u'\r'))
        return;
    key = QChar();
    btnSelectClick();
}

void TfmLogin::btnSelectClick()
{
    const QString dbName = GetSelectedDatabaseName();
    if (dbName.isEmpty()) {
        gProfile->setFocus();
        return;
    }
    try {
        dmMain()->CheckAccountSetDB(dbName);
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        ShowError(e.message());
        gProfile->setFocus();
        return;
    }
    KtIni()->WriteString(NS::Section, NS::DatabaseName, dbName);

    const QString folder = Trim(edBackupDir->text());
    edBackupDir->setText(folder);
    if (folder.isEmpty()) {
        ShowKindMessage(EmptyFolderText, QStringLiteral("错误"), 2);
        return;
    }
    if (!QFileInfo(folder).isDir()) {
        ShowKindMessage(MissingFolderText, QStringLiteral("错误"), 2);
        return;
    }
    if (IsOnSystemDrive(folder) && AskYesNo(QStringLiteral("警告"), SystemDriveText)) {
        edBackupDir->setFocus();
        return;
    }
    KtIni()->WriteString(NS::Section, NS::BackupDir, folder);
    accept();
}

QString TfmLogin::GetLocalIPAddress()
{
    try {
        return ResolveHostAddress(QHostInfo::localHostName());
    } catch (...) {
        return QStringLiteral("127.0.0.1");
    }
}

bool TfmLogin::IsIPAddress(const QString& text)
{
    int stops = 0;
    for (const QChar c : text) {
        if (c == u'.')
            ++stops;
        else if (c < u'0' || c > u'9')
            return false;
    }
    return stops == 3;
}
