#include "ui/login/LogOn.h"

#include "common/MessagePresenter.h"
#include "config/TktIni.h"
#include "data/TdmMain.h"
#include "ui/login/TfmLogin.h"

#include <QLineEdit>

namespace NS = NodeShiftSettings;

QString PreUseNotice()
{
    return QStringLiteral(
        "尊敬的客户：\r\n"
        "　　感谢您使用我们的产品！\r\n\r\n"
        "　　如果使用搬移工具不当会造成您的数据出现损害的情况，所以请您在使用前先阅读以下注意事项：\r\n"
        "　　　1、使用前，请确定所有的客户端已经退出Ledgerine；\r\n"
        "　　　2、使用前，搬移工具会自动备份数据，如果备份没有成功，则不能继续使用；\r\n"
        "　　　3、如果有门店，在使用工具前，请先处理完门店的业务单据；\r\n"
        "　　　4、使用后，请注意检查一下被搬移的基本信息是否正常显示；\r\n"
        "　　　5、如果有门店，使用后请重新把基本信息传给门店。"
        "\r\n\r\n"
        "　　再次感谢您的支持！使用中如有任何疑问，欢迎致电本公司客户服务部：400-650-0211。");
}

bool LogOn()
{
    TfmLogin dialog;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    CurrentMessagePresenter().present(
        { QStringLiteral("重要提示"), PreUseNotice(), MessageIcon::Warning, MessageButtons::Ok });
    if (!KtIni()->ReadBool(NS::Section, NS::BackupDB, NS::DefaultBackupDB))
        return true;
    return dmMain()->BackupAccountSet(dialog.edBackupDir->text());
}
