#pragma once

// The job ticket: six texts asked for before a send from the launcher and written into every
// accounting line. The dialog shows the ticket's current texts; OK keeps the entered ones (cut to
// their lengths by the model), Cancel keeps the old ones. The send goes on either way.

#include <QDialog>
#include <array>

#include "launch/job_ticket.h"

class QWidget;

namespace kestrum {

class JobTicketDialog : public QDialog {
    Q_OBJECT

  public:
    // `ticket` must outlive the dialog; it changes only on OK.
    explicit JobTicketDialog(JobTicket& ticket, QWidget* parent = nullptr);

    // The texts as entered now.
    TicketTexts Entered() const;

  public slots:
    void accept() override;

  private:
    JobTicket& ticket_;
    std::array<QWidget*, kTicketFieldCount> fields_{};
};

}  // namespace kestrum
