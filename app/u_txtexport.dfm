object txtexport: Ttxtexport
  Caption = 'Export als Text/HTML Tabelle'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
end
